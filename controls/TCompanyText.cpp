#include "controls/TCompanyText.h"

#include "controls/CaptionFonts.h"
#include "controls/TGradientCaption.h"

#include <QWidget>

namespace glyphor {

TCompanyText::TCompanyText(TGradientCaption* owner)
    : QObject(owner)
    , m_owner(owner)
    , m_font(owner->captionFont())
{
}

void TCompanyText::setCaption(const QString& text)
{
    m_caption = text;
    m_owner->Invalidate();
}

void TCompanyText::setColorActive(platform::ThemedColor color)
{
    m_colorActive = color;
    m_owner->Invalidate();
}

void TCompanyText::setColorInactive(platform::ThemedColor color)
{
    m_colorInactive = color;
    m_owner->Invalidate();
}

void TCompanyText::setFont(const QFont& font)
{
    m_font = font;
    if (m_fontKind == fkAutoHeight)
        m_font = FitToCaptionHeight(m_font, m_owner->captionFont());
    else
        m_fontKind = fkCustom;
    m_owner->Invalidate();
}

void TCompanyText::ApplyFontKind(TFontKind kind)
{
    m_fontKind = kind;
    const QFont caption = m_owner->captionFont();
    switch (kind) {
    case fkCustom:
        break;
    case fkSystem:
    case fkSystemI:
    case fkSystemB:
    case fkSystemBI:
        m_font = caption;
        if (kind == fkSystemI || kind == fkSystemBI)
            m_font.setItalic(true);
        if (kind == fkSystemB || kind == fkSystemBI)
            m_font.setBold(true);
        break;
    case fkAutoHeight:
        m_font = FitToCaptionHeight(m_font, caption);
        break;
    }
    m_owner->Invalidate();
}

void TCompanyText::setVisible(bool visible)
{
    m_visible = visible;
    m_owner->Invalidate();
}

QString TCaptionText::caption() const
{
    const QWidget* form = owner()->form();
    return form ? form->windowTitle() : QString();
}

void TCaptionText::setCaption(const QString& text)
{
    QWidget* form = owner()->form();
    if (!form)
        return;
    // The form tells the caption bar of its new title, which repaints then.
    form->setWindowTitle(text);
    m_caption = text;
}

} // namespace glyphor
