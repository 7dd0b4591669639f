#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/engines.h"
#include "app/qt_settings_store.h"
#include "app/shell/shell_services.h"
#include "common/tick_source.h"
#include "link/qt_serial_device.h"

class CMainFrame;

// The product as it runs: the platform's services (message boxes, file
// dialogs, serial ports, the clock, the user's settings), the engines, and
// the main frame over them.
class CIdeApplication
{
public:
    CIdeApplication();
    ~CIdeApplication();

    CMainFrame& Frame() { return *frame_; }
    CEngines& Engines() { return engines_; }
    void Start(const std::vector<std::string>& arguments);

private:
    CQtMessageSink messages_;
    CQtShellDialogs dialogs_;
    CQtSerialDevice serial_;
    CQtPortCatalog ports_;
    CSteadyTickSource clock_;
    CEngines engines_;
    CQtSettingsStore store_;
    std::unique_ptr<CMainFrame> frame_;
};

// main() of ide51. started runs once the main window has been shown and the
// start-up is complete (the benchmarks time it).
int RunIde(int argc, char** argv, const std::function<void(CMainFrame&)>& started = {});
