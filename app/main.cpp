#include "app/GlyphorApplication.h"
#include "app/ProgramIcon.h"
#include "app/TForm1.h"

int main(int argc, char* argv[])
{
    glyphor::GlyphorApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Glyphor2"));
    // The application's title names the product and its maker; it is the
    // caption of the program's own message boxes.
    QApplication::setApplicationDisplayName(glyphor::ApplicationTitleText());
    QApplication::setWindowIcon(glyphor::ProgramIcon());

    glyphor::TForm1 form;
    // The hidden icon viewer window is created here, after the main window,
    // once the viewer exists.
    form.show();
    return app.exec();
}
