#pragma once

#include <QString>
#include <memory>

namespace sp {

class HostServices;

// An employee as the grids show it (number and name) and the records store it (id).
// Setting the id or the number completes the record from the middle tier while the
// name is still empty; a record made from a lookup sets the name first and so never
// calls. Middle-tier errors reach the caller.
class Emp {
  public:
    // Without a host the record never completes itself.
    explicit Emp(HostServices* host = nullptr) : host_(host) {}

    qint32 EID() const { return id_; }
    void SetEID(qint32 id);
    const QString& Eno() const { return number_; }
    void SetEno(const QString& number);
    const QString& Ename() const { return name_; }
    void SetEname(const QString& name) { name_ = name; }
    qint32 Pro() const { return group_; }
    void SetPro(qint32 group) { group_ = group; }

    // The collection key.
    const QString& Number() const { return number_; }

  private:
    void Complete();

    HostServices* host_;
    qint32 id_ = 0;
    QString number_;
    QString name_;
    qint32 group_ = 0;
};

using EmpPtr = std::shared_ptr<Emp>;

}  // namespace sp
