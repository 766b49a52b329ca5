#pragma once
// Where long geometry and sorting work shows its progress: a text window in the program,
// nothing (or standard error) in the batch front end.

#include <string_view>

namespace geometry {

class ProgressOutput {
public:
    virtual ~ProgressOutput() = default;
    // Writes text at the window's text position (a "." per step of work).
    virtual void writeText(std::string_view text) = 0;
    // Clears the whole window; text starts again at its top left corner.
    virtual void clearWindow() = 0;
};

// Discards progress.
class NoProgress final : public ProgressOutput {
public:
    void writeText(std::string_view) override {}
    void clearWindow() override {}
};

} // namespace geometry
