#include "browse/AccessibleComboBox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace glyphor {

namespace {

constexpr const char* kInWordsProperty = "glyphorSpeaksItemsInWords";

// A read-only combo box as the toolkit's own interface presents it (its one
// child is the drop-down list, its actions open and close that list), but
// named by words rather than by the text it never shows.
class AccessibleComboBox : public QAccessibleWidget {
public:
    explicit AccessibleComboBox(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }

    QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }

    int childCount() const override { return 1; }

    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(comboBox()->view()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == comboBox()->view() ? 0 : -1;
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            if (QString name = comboBox()->accessibleName(); !name.isEmpty())
                return name;
            return currentWords();
        case QAccessible::Value:
            return currentWords();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override { return { showMenuAction(), pressAction() }; }

    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (comboBox()->view()->isVisible())
            comboBox()->hidePopup();
        else
            comboBox()->showPopup();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QString currentWords() const
    {
        const int index = comboBox()->currentIndex();
        if (index < 0)
            return QString();
        const QString words = comboBox()->itemData(index, Qt::AccessibleTextRole).toString();
        return words.isEmpty() ? comboBox()->itemText(index) : words;
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    auto* box = qobject_cast<QComboBox*>(object);
    if (!box || !box->property(kInWordsProperty).toBool())
        return nullptr;
    return new AccessibleComboBox(box);
}

} // namespace

void SpeakItemsInWords(QComboBox& box)
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
    box.setProperty(kInWordsProperty, true);
    // The toolkit tells of a new current item by its text; the name that
    // screen readers show is the item's words, so they are told of it anew.
    QObject::connect(&box, &QComboBox::currentIndexChanged, &box, [&box] {
        if (!QAccessible::isActive())
            return;
        QAccessibleEvent event(&box, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    });
}

} // namespace glyphor
