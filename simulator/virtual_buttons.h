#pragma once

#include "simulator/port_override.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CSim8051;
class ISymbolResolver;

enum ButtonOperation : int32_t
{
    kButtonAnd = 0,
    kButtonOr = 1,
    kButtonXor = 2,
    kButtonSet = 3,
};

// Screen rectangle of a button window's normal position.
struct WindowRectType
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// One virtual button: the data behind its floating window.
struct VirtualButtonType
{
    bool windowExists = true;
    bool pressed = false;
    int32_t address = 0; // a port's SFR address or an external RAM address
    std::string buttonText = "Button";
    std::string addressText;
    int32_t mask = 0;
    int32_t resourceType = 0; // ButtonResource: 0 Port, 1 External Memory
    int32_t latching = 0;     // 0 Momentary, 1 Latching
    int32_t operation = kButtonAnd;
    WindowRectType window;
};

// The simulation's virtual buttons in creation order. While any of them is
// pressed the list sits in the processor's read path for ports and external
// memory; otherwise the processor reads without asking it.
class CVirtualButtonList : public IPortOverride
{
public:
    explicit CVirtualButtonList(CSim8051& sim) : sim_(sim) {}
    CVirtualButtonList(const CVirtualButtonList&) = delete;
    CVirtualButtonList& operator=(const CVirtualButtonList&) = delete;

    void SetSymbolResolver(ISymbolResolver* resolver) { resolver_ = resolver; }

    uint8_t PortReadOverride(ButtonResource resource, uint32_t address,
                             uint8_t stored) const override;

    // A button with the defaults; returns its index.
    int NewButton();
    // A button from the value of a "VirtButton=" workspace line.
    int LoadButton(std::string_view value);
    // The "VirtButton=" value of a button; empty for a bad index.
    std::string FormatButton(int index) const;
    // The values the workspace keeps: buttons whose window is open, in order.
    std::vector<std::string> WorkspaceValues() const;

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    const VirtualButtonType* GetButton(int index) const;
    // The configuration dialog's OK: texts, mask, resource type, latching and
    // operation are taken over and the address text is evaluated.
    void ConfigureButton(int index, const VirtualButtonType& fields);
    void SetWindowRect(int index, const WindowRectType& rect);
    // Mouse down and up on the face; true when the pressed state changed.
    bool PressButton(int index);
    bool ReleaseButton(int index);
    // The window closed: the button leaves the overlay and the workspace.
    void CloseButton(int index);
    // Another workspace: every button goes.
    void ClearButtons();
    // After an assembly symbolic address texts may name other addresses.
    void EvaluateAddresses();

private:
    bool Valid(int index) const { return index >= 0 && index < ButtonCount(); }
    void EvaluateAddress(VirtualButtonType& button);
    void UpdateHook();

    CSim8051& sim_;
    ISymbolResolver* resolver_ = nullptr;
    bool hooked_ = false;
    std::vector<VirtualButtonType> buttons_;
};
