#pragma once

// Shared by the editing tests: a main window started as the application
// starts it, with helpers to lay out a document and to close every document.

#include "QuilletTest.h"
#include "documents/frmDoc.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

// The editing tests' start: a private settings folder, then a main window
// that is not shown, Document 1 active.
namespace DocTestSupport {

inline void prepare(const QString &configFolder)
{
    Q_UNUSED(configFolder);
    QuilletTest::isolate();
}

inline std::unique_ptr<frmMain> startMain()
{
    QuilletTest::resetSeam();
    return std::unique_ptr<frmMain>(QuilletTest::startMain(QString(), false));
}

} // namespace DocTestSupport

namespace EditingTest {

inline RichTextBox *rtf(frmMain *main)
{
    return main->ActiveForm() ? main->ActiveForm()->rtf1 : nullptr;
}

inline void select(RichTextBox *rtf, int start, int length)
{
    rtf->SetSelStart(start);
    rtf->SetSelLength(length);
}

// Every document window goes, without a question.
inline void closeAllDocuments(frmMain *main)
{
    for (frmDoc *doc : main->documents())
        doc->bChanged = false;
    main->mdiArea->closeAllSubWindows();
}

// The texts of the program's message boxes asked since the last reset.
inline QStringList messages()
{
    QStringList texts;
    for (const ModalSeam::Question &q : ModalSeam::asked()) {
        if (q.kind == QLatin1String("message"))
            texts << q.text;
    }
    return texts;
}

} // namespace EditingTest
