#pragma once
// The multi-colour strip: the strip model's picture on the screen, and the
// mouse and the Delete key handed to it in control pixels.

#include <QWidget>
#include <functional>

namespace pictoform {

class CColorStripModel;

class StripWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 40;
    StripWidget(CColorStripModel& strip, QWidget* parent);
    // Called after every edit of the stops (the view shows the new colours).
    void SetEdited(std::function<void()> edited) { m_edited = std::move(edited); }
    [[nodiscard]] QSize sizeHint() const override { return QSize(240, kHeight); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Changed(bool repaint);

    CColorStripModel& m_strip;
    std::function<void()> m_edited;
};

} // namespace pictoform
