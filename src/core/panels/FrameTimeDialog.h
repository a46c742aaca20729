#pragma once
// "Frame Time": how long an animated cursor shows a frame, in jiffies (the
// sixtieths of a second the file counts in), with the milliseconds beside.

#include <string>

namespace pictoform {

class CFrameTimeDialog {
public:
    static constexpr int kMinJiffies = 1;
    // Ten minutes: a frame shown longer is a still picture.
    static constexpr int kMaxJiffies = 36000;

    explicit CFrameTimeDialog(int jiffies) { SetJiffies(jiffies); }
    [[nodiscard]] int Jiffies() const { return m_jiffies; }
    // Held to kMinJiffies..kMaxJiffies.
    void SetJiffies(int jiffies);
    // "= 167 ms", rounded to the nearest millisecond.
    [[nodiscard]] std::string Milliseconds() const;

private:
    int m_jiffies = kMinJiffies;
};

} // namespace pictoform
