#pragma once

#include <cstdint>
#include <string_view>

#include "port/form_port.h"

namespace aspect::ratio {

// The window state the calculation keeps between events.
struct CalculationState {
    std::int32_t ScreenW = 0;
    std::int32_t ScreenH = 0;
    std::int32_t RatioW = 0;  // stored ratio, read by the locked mode
    std::int32_t RatioH = 0;
    double RatioValue = 0;
    std::int32_t TermW = 0;
    double TermH = 0;
    bool Updating = false;  // set while the calculation writes into a field
};

// The dimension fields' handlers and the calculation they start.
class Calculation {
  public:
    explicit Calculation(port::FormPort& form) : form_(form) {}

    // Lets digits and Backspace through; every other typed character becomes 0.
    void txtW_KeyPress(std::uint16_t& keyAscii) const { FilterKey(keyAscii); }
    void txtH_KeyPress(std::uint16_t& keyAscii) const { FilterKey(keyAscii); }

    void txtW_Change() { Dispatch(0); }
    void txtH_Change() { Dispatch(1); }

    // Recomputes from both fields; `edited` is 0 for the width field, else the height.
    void CalculateRatio(std::int16_t edited);

    // Start-up releases the re-entrancy guard.
    void ReleaseGuard() { state_.Updating = false; }

    const CalculationState& State() const { return state_; }

    static void FilterKey(std::uint16_t& keyAscii);

  private:
    void Dispatch(std::int16_t edited);
    void Unlocked();
    void Locked(std::int16_t edited, bool editedReadable);
    // Shows a result; screen readers hear of it when it differs from the one shown.
    void ShowResult(std::string_view caption);

    port::FormPort& form_;
    CalculationState state_;
};

}  // namespace aspect::ratio
