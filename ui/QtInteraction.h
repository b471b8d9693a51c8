#pragma once

#include <QWidget>

#include "core/UserInteraction.h"

namespace tilvex::ui {

// Placeholder until the real dialogs exist: accepts everything.
class QtInteraction : public AcceptingInteraction {
public:
    explicit QtInteraction(QWidget* parent) : parent_(parent) {}

private:
    QWidget* parent_;
};

}  // namespace tilvex::ui
