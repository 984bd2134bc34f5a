#pragma once

#include "platform/message_box.h"

namespace quelm {

class QtMessageBox final : public MessageBox {
public:
    void critical(const QString& text) override;
    void warning(const QString& text) override;
    bool question(const QString& text) override;
    void openCritical(const QString& text, QObject* context, std::function<void()> closed) override;
};

} // namespace quelm
