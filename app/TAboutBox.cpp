#include "app/TAboutBox.h"

#include "controls/CentreOnScreen.h"
#include "controls/ProgramIcon.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>

#include <algorithm>

namespace glyphor {

namespace {

enum class Bevel { None, Raised, Lowered };

// A panel drawn with an outer and an inner bevel of one pixel each, the two
// edges of the box's frames.
class BevelPanel : public QWidget {
public:
    BevelPanel(Bevel outer, Bevel inner, QWidget* parent)
        : QWidget(parent)
        , m_outer(outer)
        , m_inner(inner)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QRect edge = rect();
        for (Bevel bevel : { m_outer, m_inner }) {
            if (bevel == Bevel::None)
                continue;
            qDrawShadePanel(&p, edge, palette(), bevel == Bevel::Lowered, 1);
            edge.adjust(1, 1, -1, -1);
        }
    }

private:
    Bevel m_outer;
    Bevel m_inner;
};

QLabel* PlacedLabel(const QString& text, QWidget* parent, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TAboutBox::TAboutBox(std::int32_t extractedCount, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    QFont font = QApplication::font();
    font.setPointSize(8);
    setFont(font);
    setFixedSize(kAboutClientWidth, kAboutClientHeight);

    Panel1 = new BevelPanel(Bevel::Lowered, Bevel::Raised, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 161);
    Panel2 = new BevelPanel(Bevel::None, Bevel::Lowered, Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(8, 8, 67, 59);
    ProgramIcon = new QLabel(Panel2);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(2, 2, 63, 55);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramIconPixmap(64));
    ProgramIcon->setAccessibleName(QStringLiteral("Glyphor 2 program icon"));

    ProductName = PlacedLabel(QStringLiteral("Glyphor 2"), Panel1, { 88, 16 });
    Version = PlacedLabel(QStringLiteral("Version 1.0"), Panel1, { 88, 40 });
    Notice = new QLabel(QStringLiteral("Made by Tarnwell for everyone who keeps the icons of old "
                                       "programs. Free to use and to pass on."),
        Panel1);
    Notice->setGeometry(8, 80, 265, 40);
    Notice->setWordWrap(true);
    Notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = PlacedLabel(QStringLiteral("You have Extracted : "), Panel1, { 8, 128 });
    IconCount = new QLabel(QString::number(extractedCount), Panel1);
    IconCount->setObjectName(QStringLiteral("IconCount"));
    // Read on its own, the bare number would say nothing.
    IconCount->setAccessibleDescription(QStringLiteral("Icons extracted in all"));
    // The count stands at 112, or right after its label where the system's
    // font makes the label longer than the layout allows for.
    const int countLeft = std::max(112, Label2->geometry().right() + 1);
    IconCount->setGeometry(countLeft, 128, 153 - (countLeft - 112), Label2->height());

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    // Not a tab stop: the box has nothing to move between. Enter still
    // presses it, as its default button.
    OKButton->setFocusPolicy(Qt::ClickFocus);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        CentreOnScreen(*this);
    }
    QDialog::showEvent(event);
}

} // namespace glyphor
