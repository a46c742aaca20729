#include "panels/PreviewPanel.h"

#include <QPainter>
#include <QStyle>
#include <QToolButton>

#include <cmath>

#include "ImageConvert.h"
#include "editor/PictoformView.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"

namespace pictoform {

PreviewPanel::PreviewPanel(Workspace& workspace, CPictoformView& view, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_view(view) {
    m_play = new QToolButton(this);
    m_play->setObjectName("playButton");
    m_play->setAutoRaise(true);
    connect(m_play, &QToolButton::clicked, this, &PreviewPanel::TogglePlay);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PreviewPanel::Tick);
    Refresh();
}

PreviewPanel::~PreviewPanel() = default;

void PreviewPanel::Refresh() {
    // Formats may have come, gone or changed their times since the last look.
    m_player.SetSteps(m_view.PlaySteps());
    m_play->setVisible(m_player.CanPlay());
    const bool playing = m_player.Playing();
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_play->setToolTip(playing ? "Pause the animation" : "Play the formats as an animation");
    if (!playing) {
        m_timer.stop();
    } else if (!m_timer.isActive()) {
        ShowFrame();
    }
    update();
}

void PreviewPanel::TogglePlay() {
    if (m_player.Playing()) {
        m_player.Pause();
    } else {
        m_player.Play();
        m_clock.start();
    }
    Refresh();
}

void PreviewPanel::ShowFrame() {
    m_timer.start(std::max(1, static_cast<int>(std::ceil(m_player.UntilNext()))));
    update();
}

void PreviewPanel::Tick() {
    m_player.SetSteps(m_view.PlaySteps());
    if (!m_player.Playing()) {
        Refresh();
        return;
    }
    m_player.Advance(static_cast<double>(m_clock.restart()));
    ShowFrame();
}

void PreviewPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Nobody sees it play.
    if (m_player.Playing()) TogglePlay();
}

const CIconFormat* PreviewPanel::PlayingFrame() const {
    // Looked up at each paint, so that a format deleted while playing is never shown.
    const CPreviewDialog& list = m_workspace.FormatList();
    const int frame = static_cast<int>(m_player.Frame());
    if (!m_player.Playing() || frame >= list.Count()) return nullptr;
    return list.Item(frame).format.get();
}

void PreviewPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_play->move(2, height() - m_play->sizeHint().height() - 2);
}

void PreviewPanel::paintEvent(QPaintEvent*) {
    CSameIconDialog& preview = m_workspace.Preview();
    preview.ShowFrame(PlayingFrame());
    const SameIconPaint paint = preview.Paint(width(), height());
    preview.ShowFrame(nullptr);
    QPainter painter(this);
    for (const PanelRect& band : paint.bands)
        painter.fillRect(ToQRect(band), ToQColor(kPreviewBand));
    if (paint.picture != nullptr && !paint.picture->IsNull()) {
        painter.drawImage(ToQRect(paint.pictureRect).topLeft(), WrapImage(*paint.picture));
    }
}

} // namespace pictoform
