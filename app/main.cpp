#include "app/EndSignals.h"
#include "app/GlyphorApplication.h"
#include "app/PlatformChoice.h"
#include "app/StartRequest.h"
#include "app/TForm1.h"
#include "help/HelpService.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    using glyphor::StartRequest;
    // Help and version are answered before the toolkit starts, so that they
    // need no display.
    const StartRequest early = glyphor::ParseStartArguments(glyphor::NativeArguments(argc, argv));
    if (early.kind == StartRequest::Kind::Help || early.kind == StartRequest::Kind::Version) {
        const QString text = early.kind == StartRequest::Kind::Help ? glyphor::StartHelpText()
                                                                    : glyphor::StartVersionText();
        std::fputs(text.toUtf8().constData(), stdout);
        return 0;
    }
    const bool platformChosen = glyphor::ChoosePlatform(argc, argv);
    glyphor::GlyphorApplication app(argc, argv);
    if (platformChosen)
        glyphor::UnsetChosenPlatform();
    // What is left once the toolkit has taken its own options.
    const StartRequest request = glyphor::ParseStartArguments(glyphor::NativeArguments(argc, argv));
    if (request.kind == StartRequest::Kind::Usage) {
        std::fprintf(stderr, "glyphor2: %s\n%s", request.problem.toUtf8().constData(),
            glyphor::StartUsageText().toUtf8().constData());
        return 2;
    }
    // The main window makes the first, hidden, icon viewer window as the last
    // step of its creation.
    glyphor::TForm1 form;
    // Ended from outside or by the session, the window still counts its icons.
    glyphor::EndSignals ends([&form] { form.keepCount(); });
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &form, [&form] { form.keepCount(); });
    // Every help request of the program's windows goes to one help window,
    // made at the first request, with the help file the main window found.
    glyphor::help::HelpService help(form.helpFile());
    form.show();
    glyphor::OpenStartFolders(form, request);
    return app.exec();
}
