#pragma once

// Shared by the document window, statistics and font bar tests: a main
// window started as the application starts it, in a private settings folder.

#include "platform/ModalSeam.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modRegistry.h"

#include <memory>

namespace DocTestSupport {

// Before anything reads settings; no tip of the day waits for an answer.
inline void prepare(const QString &configFolder)
{
    qputenv("XDG_CONFIG_HOME", configFolder.toLocal8Bit());
    ModalSeam::setStrict(true);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
}

// The main window with its first document, "Document 1", active.
inline std::unique_ptr<frmMain> startMain()
{
    ModalSeam::reset();
    genMod::ResetNewDocumentCounter();
    auto main = std::make_unique<frmMain>();
    main->MDIForm_Load();
    return main;
}

} // namespace DocTestSupport
