#include "app/TForm1Host.h"

#include "app/BusyAnimation.h"
#include "app/TForm1.h"
#include "browse/TDirectoryListBox.h"
#include "browse/TDriveComboBox.h"
#include "browse/TFileListBox.h"
#include "controls/DialogFit.h"
#include "files/NativePath.h"
#include "viewer/TfrmView.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace glyphor {

TForm1Host::TForm1Host(TForm1& form)
    : m_form(&form)
{
    readStopState();
    form.painting().begin();
}

TForm1Host::~TForm1Host()
{
    // The last texts of the run are shown at once, not at a next frame.
    if (m_form)
        m_form->painting().end();
}

void TForm1Host::setStatus(const QString& text)
{
    m_comparison.clear();
    if (m_form)
        m_form->setStatusText(files::DisplayPath(text));
}

void TForm1Host::setComparing(const QString& collected, const QString& destination)
{
    // Kept, not shown: the status bar is given the text when it can be
    // painted, at the next pump or question.
    m_comparison.set(collected, destination);
}

void TForm1Host::showComparison()
{
    if (m_comparison.pending())
        setStatus(m_comparison.text());
}

void TForm1Host::pump()
{
    showComparison();
    // A close of the window during the pump is deferred by the window until
    // the run has returned; the guarded pointer covers a window destroyed by
    // other means, which closing() then reports. Every pending event is
    // handled here, a stop click included; the window paints only when its
    // next frame is due.
    QCoreApplication::processEvents();
    readStopState();
}

StopAnswer TForm1Host::askSearchStop()
{
    return ask(kSearchStopQuestion);
}

StopAnswer TForm1Host::askCompareStop()
{
    return ask(kCompareStopQuestion);
}

StopAnswer TForm1Host::ask(const QString& question)
{
    showComparison();
    if (!m_form)
        return StopAnswer::Cancel;
    // On the heap and guarded: the box is the window's child, and would go
    // with the window if that were destroyed while the box is up.
    QPointer<QMessageBox> box = NewMessageBox(QMessageBox::Question, kStopQuestionTitle, question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_form);
    box->setDefaultButton(QMessageBox::Yes);
    // Closing the box, by its title bar or Escape, answers Cancel.
    box->setEscapeButton(QMessageBox::Cancel);
    m_form->setStopQuestion(box);
    box->exec();
    readStopState();
    if (!box)
        return StopAnswer::Cancel;
    const QMessageBox::StandardButton clicked = box->standardButton(box->clickedButton());
    delete box;
    if (!m_form || m_form->closeRequested())
        return StopAnswer::Cancel;
    switch (clicked) {
    case QMessageBox::Yes:
        return StopAnswer::Yes;
    case QMessageBox::No:
        return StopAnswer::No;
    default:
        return StopAnswer::Cancel;
    }
}

StopState TForm1Host::stopState() const
{
    return m_stopState;
}

void TForm1Host::setStopState(StopState state)
{
    m_stopState = state;
    if (m_form)
        m_form->Button1->setProperty(kTagProperty, int(state));
}

void TForm1Host::readStopState()
{
    m_stopState
        = m_form ? StopState(m_form->Button1->property(kTagProperty).toInt()) : StopState::None;
}

QString TForm1Host::caption(Control button) const
{
    auto* widget = qobject_cast<QPushButton*>(control(button));
    return widget ? widget->text() : QString();
}

void TForm1Host::setCaption(Control button, const QString& text)
{
    if (auto* widget = qobject_cast<QPushButton*>(control(button)))
        widget->setText(text);
}

void TForm1Host::setEnabled(Control c, bool enabled)
{
    if (QWidget* widget = control(c))
        widget->setEnabled(enabled);
}

void TForm1Host::setAnimation(bool playing)
{
    if (!m_form)
        return;
    m_form->Animate1->setVisible(playing);
    m_form->Animate1->setActive(playing);
}

void TForm1Host::showViewerIcon()
{
    // The window takes the icon of the current viewer window; there is none
    // to take once that has destroyed itself.
    if (!m_form)
        return;
    if (const TfrmView* viewer = m_form->currentViewer())
        m_form->setWindowIcon(viewer->windowIcon());
}

void TForm1Host::addExtracted()
{
    if (m_form)
        ++m_form->ExtractedCount;
}

bool TForm1Host::closing() const
{
    return !m_form || m_form->closeRequested();
}

QWidget* TForm1Host::control(Control c) const
{
    if (!m_form)
        return nullptr;
    // The window names its widgets as the run names its controls; a run
    // changes a few of them at its start and end only.
    return m_form->findChild<QWidget*>(ControlName(c));
}

} // namespace glyphor
