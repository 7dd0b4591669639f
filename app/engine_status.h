#pragma once

#include "app/busy_state.h"
#include "editor/core/find_in_files.h"
#include "link/monitor.h"

// The find engine and the board link as the busy state asks for them.
class CFindStatus : public IFindStatus
{
public:
    explicit CFindStatus(const CFindInFileClass& finder) : finder_(finder) {}
    bool IsSearching() const override { return finder_.IsActive(); }

private:
    const CFindInFileClass& finder_;
};

class CLinkControl : public ILinkControl
{
public:
    explicit CLinkControl(CMonitor& monitor) : monitor_(monitor) {}
    bool IsOpen() const override { return monitor_.IsOpen(); }
    void Close() override { monitor_.Close(); }

private:
    CMonitor& monitor_;
};
