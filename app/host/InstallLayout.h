#pragma once

#include <QString>

namespace sp::host {

// Where erp-host finds its parts. A build keeps everything in the program's folder
// (build/bin); an installed program finds the component under lib/ and its data
// under share/ of its prefix, by paths relative to itself, so a moved prefix works.
struct InstallLayout {
    QString componentFolder;     // libshopproc and the libraries it brings
    QString guideFolder;         // the clerks' guide (Q8ShopFloor.html and guide/)
    QString translationsFolder;  // Qt's catalogs shipped with the program; empty in a build

    static InstallLayout Of(const QString& programFolder);
    // Of the running program's folder; needs the application object.
    static InstallLayout OfThisProgram();
};

}  // namespace sp::host
