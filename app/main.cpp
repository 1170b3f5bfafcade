#include "app/GlyphorApplication.h"
#include "app/TForm1.h"
#include "platform/HelpService.h"

int main(int argc, char* argv[])
{
    glyphor::GlyphorApplication app(argc, argv);
    glyphor::TForm1 form;
    // Every help request of the program's windows goes to one help window,
    // made at the first request, with the help file the main window found.
    glyphor::platform::HelpService help(form.helpFile());
    // The hidden icon viewer window is created here, after the main window,
    // once the viewer exists.
    form.show();
    return app.exec();
}
