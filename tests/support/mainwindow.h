#pragma once

#include <QApplication>
#include <QWidget>

// The program's main window when one is open (tests look without creating one).
template <typename Window> Window *openMainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *main = qobject_cast<Window *>(w); main && main->objectName() == "frm_giris")
            return main;
    return nullptr;
}

// Closes the main window, if one is open, without ending the program.
template <typename Window> void releaseMainWindow()
{
    delete openMainWindow<Window>();
}
