#include "app/CQorvelControllerApp.h"

#include "app/DataFolder.h"
#include "ui/CQorvelControllerDlg.h"
#include "ui/ModuleLoading.h"

namespace zemra {

CQorvelControllerApp::CQorvelControllerApp(AppOptions options) : m_options(std::move(options)) {}

bool CQorvelControllerApp::InitInstance() {
  WindowSetup setup;
  setup.prompts = m_options.prompts;
  setup.openModule = SearchFolders(m_options.moduleFolders);
  if (m_options.dataFolder) {
    setup.resolveDataFolder = [folder = *m_options.dataFolder] { return folder; };
  } else {
    setup.resolveDataFolder = ResolveDataFolder;
  }
  {
    // The window lives exactly as long as its run; without a template the run returns at once
    // and no window is ever shown.
    CQorvelControllerDlg window(std::move(setup));
    if (m_options.run) {
      m_options.run(window);
    } else {
      window.DoModal();
    }
  }
  return false;
}

}  // namespace zemra
