#pragma once
// The main() of a test program of the application: the test object's slots
// run under the program's own application object, so that they meet what it
// does with events (its error box among them).

#include "app/GlyphorApplication.h"

#include <QTest>

#define G2_APP_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        glyphor::GlyphorApplication app(argc, argv);                                               \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
