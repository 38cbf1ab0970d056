// CVantrelApp: the application object; owns the settings store and the About box's
// visited flags for the whole run.
#pragma once

#include "fw/App.h"
#include "settings/RegSettings.h"

#include <string>
#include <vector>

class CVantrelApp : public CWinApp {
  public:
    CVantrelApp();
    BOOL InitInstance() override;
    void OnAppAbout();

    CRegSettings& m_settings; // the program's settings store (ProgramSettings())
    // The arguments of the command line, as the entry point read them; none when the
    // application is hosted by another program (the benchmark, the tests).
    std::vector<std::string> m_arguments;
    int m_bMailVisited;
    int m_bWebVisited;

    DECLARE_COMMAND_MAP()
};

// The running application object.
CVantrelApp* VantrelApp();
