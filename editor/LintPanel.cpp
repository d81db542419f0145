#include "LintPanel.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace dfm {

namespace {

// Where a row's problem is, kept in its first column.
constexpr int FileRole = Qt::UserRole;
constexpr int LineRole = Qt::UserRole + 1;

}  // namespace

LintPanel::LintPanel(QWidget* parent) : QDockWidget(QStringLiteral("Check form against unit"), parent)
{
    setObjectName(QStringLiteral("LintPanel"));
    setFeatures(QDockWidget::DockWidgetClosable);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("LintList"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Page"), QStringLiteral("Line"), QStringLiteral("Problem")});
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    setWidget(list_);
    // Activation is a double click or Enter, as the platform has it.
    connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QVariant line = item->data(0, LineRole);
        if (line.isValid())
            emit lineRequested(static_cast<LintProblem::File>(item->data(0, FileRole).toInt()), line.toInt());
    });
}

void LintPanel::showProblems(const std::vector<LintProblem>& problems)
{
    setProblems(problems);
    show();
    raise();
    // Enter on the first problem goes to it at once.
    list_->setFocus();
}

void LintPanel::setProblems(const std::vector<LintProblem>& problems)
{
    list_->clear();
    for (const LintProblem& problem : problems) {
        const bool inForm = problem.file == LintProblem::File::Form;
        auto* item = new QTreeWidgetItem(list_, {inForm ? QStringLiteral("DFM") : QStringLiteral("Source"),
                                                 QString::number(problem.line), QString::fromStdString(problem.message)});
        item->setData(0, FileRole, static_cast<int>(problem.file));
        item->setData(0, LineRole, problem.line);
        item->setTextAlignment(1, Qt::AlignRight);
        // The whole message where the column cuts it short.
        item->setToolTip(2, item->text(2));
    }
    if (problems.empty())
        new QTreeWidgetItem(list_, {QString(), QString(), QStringLiteral("No problem found.")});
    setWindowTitle(QStringLiteral("Check form against unit: %1 problem(s)").arg(problems.size()));
    list_->setCurrentItem(list_->topLevelItem(0));
}

}  // namespace dfm
