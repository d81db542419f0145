// The about window: the program's name, version and what it does.
#pragma once

#include <QDialog>

namespace dfm {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent);
};

}  // namespace dfm
