#pragma once

#include <QString>

#include "platform/Clipboard.h"

namespace pictoform {

// The desktop clipboard. Each copy carries a marker with a token of this run,
// so the program knows its own copy (and pastes it from its full-detail copy
// buffer) but takes another instance's copy as an outside picture.
class QtClipboard : public Clipboard {
public:
    static constexpr const char* kMarkerType = "application/x-pictoform-copy";

    QtClipboard();

    void PutImage(const CLayerImage& picture) override;
    [[nodiscard]] bool OwnsClipboard() const override;
    [[nodiscard]] bool TakeImage(CLayerImage& picture) override;

private:
    QString m_runToken;
    unsigned m_copies = 0;
    QByteArray m_lastMarker;
};

} // namespace pictoform
