// The strip at the left of a page that shows the numbers of the lines in view.
#pragma once

#include <QWidget>

namespace dfm {

class PageEditor;

class LineNumberGutter : public QWidget {
    Q_OBJECT
public:
    explicit LineNumberGutter(PageEditor* page);

    // Room for the page's highest line number, at least three digits, so that the text does not
    // move while the first hundred lines are typed.
    int widthNeeded() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PageEditor* page_;
};

}  // namespace dfm
