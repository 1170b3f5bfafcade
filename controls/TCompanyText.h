#pragma once
// The text pieces of the gradient caption bar: the company text, the
// application-name text and (TCaptionText) the form's own caption. Each has
// its own text, its colours for an active and an inactive window, and its
// font, which either follows the desktop's title font or is the piece's own.

#include "platform/CaptionMetrics.h"

#include <QFont>
#include <QObject>
#include <QString>

namespace glyphor {

class TGradientCaption;

class TCompanyText : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(glyphor::platform::ThemedColor ColorActive READ colorActive WRITE setColorActive)
    Q_PROPERTY(
        glyphor::platform::ThemedColor ColorInactive READ colorInactive WRITE setColorInactive)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(TFontKind FontKind READ fontKind WRITE setFontKind STORED true)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible STORED true)
public:
    // How Font is derived: the piece's own (fkCustom), the caption font
    // plain, italic, bold or both (fkSystem .. fkSystemBI), or the piece's
    // own face and style at the caption font's height (fkAutoHeight).
    enum TFontKind { fkCustom, fkSystem, fkSystemI, fkSystemB, fkSystemBI, fkAutoHeight };
    Q_ENUM(TFontKind)

    // Starts with no text, the desktop's caption text colours and the
    // caption font (kind fkSystem), visible.
    explicit TCompanyText(TGradientCaption* owner);

    virtual QString caption() const { return m_caption; }
    virtual void setCaption(const QString& text);

    platform::ThemedColor colorActive() const { return m_colorActive; }
    void setColorActive(platform::ThemedColor color);
    platform::ThemedColor colorInactive() const { return m_colorInactive; }
    void setColorInactive(platform::ThemedColor color);

    QFont font() const { return m_font; }
    // A copy of the font becomes the piece's own (kind fkCustom); under
    // fkAutoHeight it is fitted to the caption font's height instead.
    void setFont(const QFont& font);
    // Whether a saved layout keeps Font: a font that follows the desktop's
    // is taken afresh from the desktop instead.
    bool isFontStored() const { return m_fontKind == fkCustom || m_fontKind == fkAutoHeight; }

    TFontKind fontKind() const { return m_fontKind; }
    void setFontKind(TFontKind kind) { ApplyFontKind(kind); }
    // Sets the kind and derives Font from the owner's caption font by it.
    void ApplyFontKind(TFontKind kind);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    TGradientCaption* owner() const { return m_owner; }

protected:
    QString m_caption;

private:
    TGradientCaption* m_owner;
    platform::ThemedColor m_colorActive = platform::SystemColor::CaptionText;
    platform::ThemedColor m_colorInactive = platform::SystemColor::InactiveCaptionText;
    QFont m_font;
    TFontKind m_fontKind = fkSystem;
    bool m_visible = true;
};

class TAppNameText : public TCompanyText {
    Q_OBJECT
public:
    using TCompanyText::TCompanyText;
};

// The caption piece: its text is the form's caption, read from the form and
// written to it.
class TCaptionText : public TCompanyText {
    Q_OBJECT
public:
    using TCompanyText::TCompanyText;

    // The form's caption; empty without a form.
    QString caption() const override;
    void setCaption(const QString& text) override;
};

} // namespace glyphor
