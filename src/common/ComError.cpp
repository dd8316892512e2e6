#include "src/common/ComError.h"

namespace sp {

ComError::ComError(int number, QString source, QString description, QString nativeCode)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      nativeCode_(std::move(nativeCode)) {
    what_ = QStringLiteral("%1 (%2): %3").arg(number_).arg(source_, description_).toStdString();
}

}  // namespace sp
