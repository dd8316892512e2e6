#pragma once

#include <QString>
#include <memory>

namespace sp {

class HostServices;

// A work team. Completes itself like Emp.
class Team {
  public:
    explicit Team(HostServices* host = nullptr) : host_(host) {}

    qint32 TID() const { return id_; }
    void SetTID(qint32 id);
    const QString& Tno() const { return number_; }
    void SetTno(const QString& number);
    const QString& Tname() const { return name_; }
    void SetTname(const QString& name) { name_ = name; }

    const QString& Number() const { return number_; }

  private:
    void Complete();

    HostServices* host_;
    qint32 id_ = 0;
    QString number_;
    QString name_;
};

using TeamPtr = std::shared_ptr<Team>;

}  // namespace sp
