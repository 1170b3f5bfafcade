#include "app/GlyphorApplication.h"
#include "app/TForm1.h"

int main(int argc, char* argv[])
{
    glyphor::GlyphorApplication app(argc, argv);
    // The main window makes the first, hidden, icon viewer window as the last
    // step of its creation.
    glyphor::TForm1 form;
    form.show();
    return app.exec();
}
