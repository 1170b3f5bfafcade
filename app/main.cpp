#include "app/GlyphorApplication.h"
#include "app/TForm1.h"

int main(int argc, char* argv[])
{
    glyphor::GlyphorApplication app(argc, argv);
    glyphor::TForm1 form;
    // The hidden icon viewer window is created here, after the main window,
    // once the viewer exists.
    form.show();
    return app.exec();
}
