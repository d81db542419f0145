// The about window: the program's name, version and what it does.
#pragma once

#include <QDialog>

namespace dfm {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace dfm
