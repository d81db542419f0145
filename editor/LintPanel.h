// The list of problems the form check found, docked under the pages: one row a problem, and a
// double click or Enter on a row asks for its line.
#pragma once

#include "FormUnitCheck.h"

#include <QDockWidget>

#include <vector>

class QTreeWidget;

namespace dfm {

class LintPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit LintPanel(QWidget* parent);

    // Replaces the list and shows the panel with the focus on its first row.
    void showProblems(const std::vector<LintProblem>& problems);
    // Replaces the list only, where the user is busy elsewhere.
    void setProblems(const std::vector<LintProblem>& problems);
    QTreeWidget* list() const { return list_; }

signals:
    // line: 1-based, in the form page or in the unit page.
    void lineRequested(LintProblem::File file, int line);

private:
    QTreeWidget* list_;
};

}  // namespace dfm
