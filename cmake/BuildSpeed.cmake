# What keeps a build from a fresh clone short on a small machine.
#
# Precompiled headers: nearly every translation unit includes Qt's core headers (and the
# views Qt Widgets', the tests GoogleTest's), and reading them again is most of each
# compile. Each target precompiles the set once.
option(SHOPPROC_PCH "Precompile the Qt and test headers every file includes" ON)
#
# Unity build: the product's libraries compile their sources eight at a time as one unit,
# so the headers they share are read once per batch. The files below keep file-local
# helpers of a name another file of their library also uses (Source, Refuse, Fail,
# CaptionOf, kNumberCol) and compile alone; a new clash shows as a redefinition error and
# is mended by a name of the file's own or a line here. The tests stay one unit per file:
# their fixtures and tables share names on purpose.
option(SHOPPROC_UNITY "Compile the product's sources a few at a time as one unit" ON)
set(SHOPPROC_UNITY_ALONE
    platform/db/DatabaseErrors.cpp platform/db/DatabaseUrl.cpp
    platform/db/FuncTaskStore.cpp platform/db/Migrations.cpp platform/db/PgGuard.cpp
    platform/db/SqliteBackup.cpp platform/db/UserAdmin.cpp
    platform/host/LookupSubMesModel.cpp src/navigation/WorkBillTree.cpp)
list(TRANSFORM SHOPPROC_UNITY_ALONE PREPEND ${CMAKE_SOURCE_DIR}/)

set(SHOPPROC_PCH_CORE <QString> <QStringList> <QVariant> <QList> <QHash> <QMap> <QDate> <QDateTime>
    <QObject> <algorithm> <functional> <memory> <optional> <vector>)

# shopproc_speed_up(target [WIDGETS] [GTEST]): the precompiled headers, and for the
# product's libraries (not GTEST) the unity build.
function(shopproc_speed_up target)
  cmake_parse_arguments(P "WIDGETS;GTEST" "" "" ${ARGN})
  if(SHOPPROC_UNITY AND NOT P_GTEST)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    set_source_files_properties(${SHOPPROC_UNITY_ALONE} TARGET_DIRECTORY ${target}
                                PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
  if(NOT SHOPPROC_PCH)
    return()
  endif()
  set(headers ${SHOPPROC_PCH_CORE})
  if(P_WIDGETS)
    list(APPEND headers <QWidget> <QApplication>)
  endif()
  if(P_GTEST)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
