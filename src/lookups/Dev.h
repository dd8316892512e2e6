#pragma once

#include <QString>
#include <memory>

namespace sp {

class HostServices;

// A device (resource) of a work center. Completes itself like Emp.
class Dev {
  public:
    explicit Dev(HostServices* host = nullptr) : host_(host) {}

    qint32 DID() const { return id_; }
    void SetDID(qint32 id);
    const QString& Dno() const { return number_; }
    void SetDno(const QString& number);
    const QString& Dname() const { return name_; }
    void SetDname(const QString& name) { name_ = name; }
    qint32 Dtype() const { return type_; }
    void SetDtype(qint32 type) { type_ = type; }
    qint32 DWC() const { return workCenter_; }
    void SetDWC(qint32 workCenter) { workCenter_ = workCenter; }

    const QString& Number() const { return number_; }

  private:
    void Complete();

    HostServices* host_;
    qint32 id_ = 0;
    QString number_;
    QString name_;
    qint32 type_ = 0;
    qint32 workCenter_ = 0;
};

using DevPtr = std::shared_ptr<Dev>;

}  // namespace sp
