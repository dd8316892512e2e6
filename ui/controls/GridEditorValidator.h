#pragma once

#include <QValidator>

#include "src/controls/GridModel.h"

namespace sp {

// Keeps the in-cell editor of a number or date column from taking text the column
// would refuse: a number outside the column's range, or anything that cannot become
// a number or a YYYY-mm-DD date. The grid model still has the last word on commit.
class GridEditorValidator : public QValidator {
    Q_OBJECT
  public:
    explicit GridEditorValidator(QObject* parent = nullptr) : QValidator(parent) {}

    void SetColumn(const GridModel* grid, int col);
    State validate(QString& input, int& pos) const override;

  private:
    const GridModel* grid_ = nullptr;
    int col_ = 0;
};

}  // namespace sp
