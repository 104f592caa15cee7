#pragma once

#include <memory>
#include <vector>

#include "platform/input/input.hpp"

// Passes on the events of another source and adds a close request whenever
// SIGINT or SIGTERM has come since the last fetch, so that a logout or a kill
// leaves through the game's normal exit, whatever feeds its input. The
// previous handlers are put back when it goes. One at a time.
class CloseOnSignalSource final : public InputSource {
public:
    explicit CloseOnSignalSource(InputSource& inner);
    ~CloseOnSignalSource() override;
    CloseOnSignalSource(const CloseOnSignalSource&) = delete;
    CloseOnSignalSource& operator=(const CloseOnSignalSource&) = delete;

    void FetchFrame(int frame, std::vector<InputEvent>& events) override;
    bool FetchWait(int frame, std::vector<InputEvent>& events) override;
    int JoystickCount() override { return inner_.JoystickCount(); }
    void SetMouseVisible(bool visible) override { inner_.SetMouseVisible(visible); }
    void SetPointerCaptured(bool captured, int x, int y) override { inner_.SetPointerCaptured(captured, x, y); }
    void PointerPlaced(int x, int y) override { inner_.PointerPlaced(x, y); }
    void SetTextInput(bool on, const std::string& editing) override { inner_.SetTextInput(on, editing); }
    void SetBindings(const Bindings& bindings) override { inner_.SetBindings(bindings); }
    void SetControlMode(ControlMode mode) override { inner_.SetControlMode(mode); }

private:
    struct SavedHandlers;

    InputSource& inner_;
    std::unique_ptr<SavedHandlers> saved_;
};
