#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWebEnginePage;
class QWebEngineView;
class PortalPage;

// Page actions: each finds its element afresh in the current document (no element is kept across
// loads) and reports whether it was found. None of them waits on the user-interface thread.
namespace PageActions {

using Done = std::function<void(bool found)>;

// An element by id or name in the document, or by name/id within form number form (0-based).
void SetValue(QWebEnginePage *page, const QString &key, const QString &value, Done done = {},
              int form = -1);
void Click(QWebEnginePage *page, const QString &key, Done done = {}, int form = -1);
// Element number index of form number form; a disabled one is not clicked (found: false).
void ClickFormElement(QWebEnginePage *page, int form, int index, Done done = {});
// Image number index of the document (a click on it reaches the link around it).
void ClickImage(QWebEnginePage *page, int index, Done done = {});
void SubmitForm(QWebEnginePage *page, int form, Done done = {});
// Sets a check box and then fires its own onclick handler, as the old control's property write
// followed by FireEvent did.
void SetCheckedAndFireOnclick(QWebEnginePage *page, const QString &key, bool checked,
                              Done done = {});
// Gives the file input the photograph: through the page's file chooser when a view can take a
// key press, else (or when no chooser came) by handing the file's bytes to the input directly.
// done(true) once the input holds a file. thenClick (when given) is clicked within the page the
// moment the input is seen holding the file, once, so the form goes on without a round trip.
void AttachFile(PortalPage *page, QWebEngineView *view, const QString &key, const QString &path,
                const QString &thenClick = {}, Done done = {});
// Several actions sent to the page in one script, acting in the order they were added on the one
// document the script reaches. Each still answers on its own whether its element was found; a
// missing one does not stop the others.
class Batch
{
public:
    Batch &SetValue(const QString &key, const QString &value, Done done = {}, int form = -1);
    Batch &Click(const QString &key, Done done = {}, int form = -1);
    Batch &ClickFormElement(int form, int index, Done done = {});
    Batch &ClickImage(int index, Done done = {});
    Batch &SubmitForm(int form, Done done = {});
    Batch &SetCheckedAndFireOnclick(const QString &key, bool checked, Done done = {});
    // Sends the script. Every action's own done runs first, in order, then done with all the
    // answers in that order (all false when the page did not answer).
    void Run(QWebEnginePage *page, std::function<void(const QList<bool> &found)> done = {});

private:
    Batch &add(const QString &step, Done done);
    QStringList m_steps; // each a function expression answering whether its element was there
    QList<Done> m_done;
};

// Stops the page's current loading.
void Stop(QWebEnginePage *page);

// The helper that finds an element, for scripts of the callers' own.
QString FinderScript();

} // namespace PageActions
