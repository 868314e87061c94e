// The settings, sound, about and guide windows, opened from the main window, and the
// window's own icon and mouse pointer.
#include "form1.h"

#include "appearance.h"
#include "form2.h"
#include "frmabout.h"
#include "frmsound.h"
#include "hlpfrm.h"
#include "settingstexts.h"

namespace {

// The secondary windows are top-level windows without a parent: closing the main
// window leaves them open, and the program ends when the last of them closes. A
// window that is already open is only brought forward, without loading it again.
template <typename Window, typename Make> void showOnce(QPointer<Window>& window, Make make)
{
    if (!window) {
        window = make();
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void Form1::mnuSet_Click()
{
    showOnce(settingsWindow_, [this] {
        const settingstexts::Texts current = settingstexts::inUse(
            notes_.channel(), notes_.baseNote(), delayFactor_, delayMin_, delayMax_, delayDefault_);
        const QString folder = services_.dataFolder;
        return new Form2(settingstexts::shown(settingstexts::readFile(folder), current),
                         backColor(), *services_.desktop,
                         [folder](const settingstexts::Texts& texts, QString* error) {
                             return settingstexts::save(folder, texts, error);
                         });
    });
}

void Form1::mnuSound_Click()
{
    showOnce(soundWindow_, [this] { return makeSoundWindow(); });
}

void Form1::mnuAbout_Click()
{
    showOnce(aboutWindow_, [this] { return new frmAbout(backColor(), *services_.desktop); });
}

void Form1::Label2_Click()
{
    mnuAbout_Click();
}

void Form1::mnurdme_Click()
{
    showOnce(guideWindow_, [this] {
        return new hlpfrm(backColor(), *services_.desktop, services_.dataFolder,
                          services_.programFolder);
    });
}

void Form1::applyAppearance()
{
    setWindowIcon(appearance::applicationIcon());
    setCursor(appearance::pianoPointer());
}
