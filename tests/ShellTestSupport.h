// Set-up shared by the shell tests: a private settings store, strict answers
// to every question, and a freshly loaded main window with Document 1.
#pragma once

#include "documents/frmDoc.h"
#include "documents/modDocument.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace ShellTest {

// Never the user's own settings; a question nobody answered is a failure.
inline void isolate()
{
    static QTemporaryDir config;
    QVERIFY(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ModalSeam::setStrict(true);
}

// Counters start again at 1 so that every test sees "Document 1" first.
inline void resetCounters()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    modDocument::ResetCreatedDocumentCounter();
}

inline frmMain *loadMainWindow()
{
    resetCounters();
    auto *main = new frmMain;
    main->MDIForm_Load();
    main->show();
    return main;
}

// Every question a test raised must have been answered.
inline void unload(frmMain *main)
{
    delete main;
    QCOMPARE(ModalSeam::unanswered(), 0);
}

} // namespace ShellTest
