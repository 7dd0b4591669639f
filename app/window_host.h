#pragma once

#include <string>
#include <vector>

#include "app/window_geometry.h"
#include "app/window_kinds.h"
#include "app/workspace_format.h"

// What the model needs from the windowing shell. The Qt shell implements it;
// tests use a recording fake. Every call happens on the user-interface thread.
class IWindowHost
{
public:
    // One open window (a view of a document) as the workspace records it.
    struct OpenWindowType
    {
        WindowRecord record; // rectangle: the frame's restored rectangle
        bool maximized = false;
    };

    virtual ~IWindowHost() = default;

    // Opens a window of kind for a workspace record: the document at
    // record.path (or a new empty one when the path is empty), in a frame
    // placed by ChooseChildStartRect(record's rectangle, ...). False when
    // the document's file could not be loaded; the document is then closed
    // again and no window stays open.
    virtual bool OpenWindow(WindowKind kind, const WindowRecord& record) = 0;

    // Every open window, in template order (sources first, then Output, Dump,
    // Register, Port, DRAM, IRAM, XRAM, Watch, ConReg), documents in the order
    // they were opened, views in their document's order.
    virtual std::vector<OpenWindowType> ListWindows() const = 0;

    // The titles of the open source documents in the order they were opened.
    virtual std::vector<std::string> SourceTitles() const = 0;

    // Activates the first view of the first source document, if any.
    virtual void ActivateFirstSource() = 0;

    // Lets the user save each modified document, then closes every document.
    // False when the user cancelled: nothing is closed then.
    virtual bool SaveModifiedAndCloseAll() = 0;
};
