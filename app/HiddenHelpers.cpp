#include "app/HiddenHelpers.h"

#include <QAccessibleWidget>
#include <QFocusFrame>
#include <QGroupBox>
#include <QMenu>
#include <QWidget>

namespace glyphor {

namespace {

constexpr const char* kHiddenProperty = "glyphorHiddenFromScreenReaders";
constexpr const char* kHoldsHiddenProperty = "glyphorHoldsHiddenHelpers";

// The text of a caption with its mnemonic marks taken out ("&&" is one "&").
QString WithoutMnemonic(const QString& caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) {
            text += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
            text += QLatin1Char('&');
            ++i;
        }
    }
    return text;
}

// A widget that holds hidden helpers, presented as the toolkit presents it
// (a group box as a named group, anything else as a plain pane) but with
// its children less the helpers.
class HelperHolder : public QAccessibleWidget {
public:
    explicit HelperHolder(QWidget* widget)
        : QAccessibleWidget(
            widget, qobject_cast<QGroupBox*>(widget) ? QAccessible::Grouping : QAccessible::Client)
    {
    }

    int childCount() const override { return int(shownChildren().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> children = shownChildren();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        return int(shownChildren().indexOf(qobject_cast<QWidget*>(child->object())));
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const auto* group = qobject_cast<const QGroupBox*>(widget()))
                return WithoutMnemonic(group->title());
        }
        return QAccessibleWidget::text(t);
    }

private:
    // The children the toolkit would list (the same filter as its own), less
    // the hidden helpers.
    QList<QWidget*> shownChildren() const
    {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child || child->isWindow() || IsHiddenFromScreenReaders(*child)
                || qobject_cast<QFocusFrame*>(child) || qobject_cast<QMenu*>(child)
                || child->objectName() == QLatin1String("qt_rubberband"))
                continue;
            children.append(child);
        }
        return children;
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->property(kHoldsHiddenProperty).toBool())
        return nullptr;
    return new HelperHolder(widget);
}

} // namespace

void HideFromScreenReaders(QWidget& helper)
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
    helper.setProperty(kHiddenProperty, true);
    if (QWidget* parent = helper.parentWidget())
        parent->setProperty(kHoldsHiddenProperty, true);
    helper.hide();
}

bool IsHiddenFromScreenReaders(const QWidget& widget)
{
    return widget.property(kHiddenProperty).toBool();
}

} // namespace glyphor
