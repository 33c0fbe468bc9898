// The design files of a folder as the browser lists them: every entry but folders (a folder
// named like a design is not one), extensions matched without regard to case, names beginning
// with a dot left out, and the groups in a fixed order: ".10o", ".dsb", ".dst", ".dsz". Inside a
// group the names are sorted, names that compare equal in the order the folder gives them, so
// the list is stable.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

QStringList ListDesignFiles(const QString& folder);

class TDesignFileSort;

// The same list with only its first `sorted` names in their final places: the page that shows
// them can be drawn while `rest` puts the others in theirs.
QStringList ReadDesignFiles(const QString& folder, qsizetype sorted, TDesignFileSort& rest);

// What is left of sorting a list that ReadDesignFiles sorted only in part.
class TDesignFileSort {
 public:
  bool Done() const { return rest_.empty(); }
  // Puts the rest of `names`, the list it was made with, in order.
  void Finish(QStringList& names);

 private:
  friend QStringList ReadDesignFiles(const QString&, qsizetype, TDesignFileSort&);
  struct TEntry {
    QString name;
    int seen;  // its place in the folder's own order, which decides between equal names
  };
  struct TRest {
    qsizetype at;  // where in the list the first of `entries` goes
    std::vector<TEntry> entries;
  };
  std::vector<TRest> rest_;
};

// The group of a file name's extension (0 to 3), or -1 when the browser does not list it.
int DesignFileGroup(const QString& name);

// A native design file (".10o", the first group): saved under its own name, only its control
// file is written again.
bool IsNativeDesignFile(const QString& name);
