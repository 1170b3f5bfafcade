#include "viewer/IconLoad.h"

#include "files/NativePath.h"
#include "iconfile/IconFileReader.h"

#include <exception>

namespace glyphor {

void IconLoad::load()
{
    // After every call of the host that pumps, only locals may be used until
    // it has said that the window is still there.
    IconLoadHost& host = m_host;
    if (m_running) {
        // An activation that arrived inside a pump of the running load: the
        // activation steps only, no second load on top of the first.
        host.activate();
        return;
    }
    m_running = true;
    m_state = LoadState::Loading;
    m_restart = true;
    int item = 0;
    for (;;) {
        if (m_restart) {
            // The start of the load, or a refresh during it: the items and
            // images are the window's fresh ones, so begin with the first.
            m_restart = false;
            item = 0;
            host.setStopCaption(true);
            if (!host.activate())
                return;
            continue;
        }
        if (item >= host.itemCount())
            break;

        IconImage icon;
        try {
            IconFile file = ReadIconFile(files::ToNativePath(host.itemPath(item)));
            icon = file.image();
        } catch (const std::exception& error) {
            // The load ends here as a stopped one does, so that nothing keeps
            // claiming a load that is no longer running; the pictures so far
            // stay. The reader names the file by its bytes.
            finish();
            host.showError(files::DisplayPath(files::FromNativePath(error.what())));
            return;
        }
        host.appendImage(icon);
        ++item;

        if (m_state == LoadState::LoadEnded) {
            // A stop or a close request arrived during the last pump.
            host.setStopCaption(false);
            if (!host.pump())
                return;
            if (!m_restart)
                break;
        } else if (item % kIconsPerPump == 0 && !host.pump()) {
            return;
        }
    }
    finish();
}

void IconLoad::restart()
{
    m_restart = true;
    // A refresh after a stop loads afresh; a stop after the refresh still
    // ends the new load after its first icon.
    m_state = LoadState::Loading;
}

void IconLoad::finish()
{
    m_running = false;
    m_state = LoadState::LoadEnded;
    m_host.setStopCaption(false);
}

} // namespace glyphor
