#include "hoopdesk/settings/settings.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSettings>
#include <algorithm>

#include "storefile.h"

namespace {

const QStringList kAlwaysWritten = {"CurrentDir", "PanelWidth", "WpBottom",  "WpFlags",
                                    "WpLeft",     "WpMaxPtX",   "WpMaxPtY",  "WpMinPtX",
                                    "WpMinPtY",   "WpRight",    "WpShowCmd", "WpTop"};

TSettings Loaded(const StoreFile& store, QString* dir = nullptr) {
  QString designDir;
  TSettings settings;
  settings.modified = true;  // loading must clear it
  LoadSettings(store.Path(), designDir, settings);
  if (dir) *dir = designDir;
  return settings;
}

TEST(Settings, FirstRunStartsWithDefaultsAndWritesOnlyTheAlwaysValues) {
  StoreFile store;
  QString dir = "stale";
  const TSettings s = Loaded(store, &dir);
  EXPECT_TRUE(dir.isEmpty());
  EXPECT_FALSE(s.modified);
  EXPECT_EQ(s.BaudRate, 9600);
  EXPECT_EQ(s.RotSpeed, 500);
  EXPECT_EQ(s.ExpireDays, 3);
  EXPECT_EQ(s.ExpireFiles, 30);
  for (std::int32_t port : s.Ports) EXPECT_EQ(port, -1);
  EXPECT_EQ(s.PanelWidth, 315);
  EXPECT_EQ(s.SlpHeartBeat, 0);
  EXPECT_EQ(s.Placement, (TWindowPlacement{44, 1, 5, -1, -1, -1, -1, 0, 0, 1022, 752}));

  TSettings saved = s;
  ASSERT_TRUE(SaveSettings(store.Path(), "/home/op/designs", saved));
  EXPECT_EQ(store.Keys(), kAlwaysWritten);
  EXPECT_EQ(store.Raw("CurrentDir"), "/home/op/designs");
  EXPECT_EQ(Loaded(store).Placement, s.Placement);
}

TEST(Settings, AStoreWithoutPlacementGivesTheMissingValueDefaults) {
  StoreFile store;
  store.Write({"CurrentDir=/d"});
  const TSettings s = Loaded(store);
  EXPECT_EQ(s.Placement, (TWindowPlacement{44, -1, 5, 0, 0, -1, -1, 0, 0, 1022, 752}));
  EXPECT_EQ(s.PanelWidth, 315);
}

// Each row: the store's lines before the run, what the run changes, the values expected after.
struct RoundTrip {
  const char* name;
  QStringList before;
  void (*change)(TSettings&);
  QStringList after;  // "Name=value", or "-Name" for a value that must be absent
};

void NoChange(TSettings&) {}
void EmptySlot1(TSettings& s) {
  s.Ports[1] = -1;
  s.modified = true;
}
void ModifiedOnly(TSettings& s) { s.modified = true; }
void ZeroWidth(TSettings& s) { s.PanelWidth = 0; }
void PortsUnmodified(TSettings& s) { s.Ports.fill(-1); }

class SettingsRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(SettingsRoundTrip, WritesByTheRules) {
  const RoundTrip& row = GetParam();
  StoreFile store;
  store.Write(row.before);
  QString dir;
  TSettings s = Loaded(store, &dir);
  row.change(s);
  ASSERT_TRUE(SaveSettings(store.Path(), dir, s));
  EXPECT_FALSE(s.modified);
  for (const QString& expect : row.after) {
    if (expect.startsWith('-')) {
      EXPECT_FALSE(store.Keys().contains(expect.mid(1))) << expect.toStdString();
    } else {
      const QString name = expect.section('=', 0, 0);
      EXPECT_EQ(store.Raw(name), expect.section('=', 1)) << name.toStdString();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsRoundTrip,
    testing::Values(
        RoundTrip{"EmptiedSlotRemovesItsPort",
                  {"Port0=2", "Port1=3"},
                  EmptySlot1,
                  {"Port0=2", "-Port1", "-Port2", "BaudRate=9600", "ExpireFiles=30"}},
        RoundTrip{"UnmodifiedRunLeavesPortsAlone",
                  {"Port0=2", "Port1=3"},
                  PortsUnmodified,
                  {"Port0=2", "Port1=3", "-BaudRate", "-RotSpeed"}},
        RoundTrip{"OddSpeedSurvives", {"RotSpeed=555"}, ModifiedOnly, {"RotSpeed=555"}},
        RoundTrip{
            "WrongTypesWriteBackDefaults",
            {"BaudRate=abc", "RotSpeed=12abc", "ExpireDays=1.5", "ExpireFiles=a, b", "Port3=x"},
            ModifiedOnly,
            {"BaudRate=9600", "RotSpeed=500", "ExpireDays=3", "ExpireFiles=30", "-Port3"}},
        RoundTrip{"HeartBeatIsNeverWritten", {"SlpHeartBeat=7"}, ModifiedOnly, {"SlpHeartBeat=7"}},
        RoundTrip{"ZeroWidthIsWrittenAs315", {"PanelWidth=400"}, ZeroWidth, {"PanelWidth=315"}},
        RoundTrip{"FolderWithCommaStaysOneString",
                  {"CurrentDir=\"/a,b\""},
                  NoChange,
                  {"CurrentDir=/a,b"}}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

TEST(Settings, ReadsEveryValueThatIsThere) {
  StoreFile store;
  store.Write({"Port0=0", "Port5=4", "CurrentDir=/work", "BaudRate=38400", "RotSpeed=800",
               "ExpireDays=0", "ExpireFiles=100", "PanelWidth=280", "SlpHeartBeat=9", "WpFlags=2",
               "WpShowCmd=3", "WpMinPtX=-32000", "WpMinPtY=-32000", "WpMaxPtX=-8", "WpMaxPtY=-8",
               "WpLeft=10", "WpTop=20", "WpRight=900", "WpBottom=700"});
  QString dir;
  const TSettings s = Loaded(store, &dir);
  EXPECT_EQ(dir, "/work");
  EXPECT_EQ(s.Ports, (std::array<std::int32_t, 6>{0, -1, -1, -1, -1, 4}));
  EXPECT_EQ(s.BaudRate, 38400);
  EXPECT_EQ(s.RotSpeed, 800);
  EXPECT_EQ(s.ExpireDays, 0);
  EXPECT_EQ(s.ExpireFiles, 100);
  EXPECT_EQ(s.PanelWidth, 280);
  EXPECT_EQ(s.SlpHeartBeat, 9);
  EXPECT_EQ(s.Placement, (TWindowPlacement{44, 2, 3, -32000, -32000, -8, -8, 10, 20, 900, 700}));
}

TEST(Settings, KeepsTheServersRegistrationAndReadsBackAsTheServerDoes) {
  StoreFile store;
  {
    QDir().mkpath(QFileInfo(store.Path()).path());
    QSettings server(store.Path(), QSettings::IniFormat);
    server.setValue("Classes/PelService.PelSrv/LocalServer", "/usr/bin/pelservice /Automation");
  }
  TSettings s = Loaded(store);
  ASSERT_TRUE(SaveSettings(store.Path(), "/home/op/a b", s));
  QSettings server(store.Path(), QSettings::IniFormat);
  const QVariant dir = server.value("CurrentDir");
  EXPECT_EQ(dir.typeId(), QMetaType::QString);
  EXPECT_EQ(dir.toString(), "/home/op/a b");
  EXPECT_EQ(server.value("Classes/PelService.PelSrv/LocalServer").toString(),
            "/usr/bin/pelservice /Automation");
}

const QByteArray kRegistration =
    "[Classes]\nPelService.PelSrv\\LocalServer=/opt/pellora/pelservice /Automation\n";
const QString kRegistrationKey = "Classes/PelService.PelSrv/LocalServer";

// The file's lines, without their line breaks.
QList<QByteArray> Lines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  for (QByteArray& line : lines)
    if (line.endsWith('\r')) line.chop(1);
  return lines;
}

// Whether the line holds one of the values SaveSettings writes.
bool IsSavedValueLine(const QByteArray& line) {
  const QByteArray name = line.trimmed().split('=').front().trimmed();
  return line.contains('=') && (kAlwaysWritten.contains(QString::fromUtf8(name)) ||
                                name == "RotSpeed" || name == "BaudRate" || name == "ExpireDays" ||
                                name == "ExpireFiles" || name.startsWith("Port"));
}

struct DamagedStore {
  const char* what;
  QByteArray text;
  std::int32_t panelWidth;  // as loaded
  bool saved;               // false: the file stays as it was
};

TEST(Settings, ADamagedStoreKeepsEveryLineAndValueItDoesNotChange) {
  const DamagedStore cases[] = {
      {"junk bytes in front of the registration",
       "\x01\x02\x7f junk\n" + kRegistration + "[General]\nPanelWidth=300\nWpLeft=10\n", 300, true},
      {"junk bytes run into the registration's section header",
       "\x01\x02\x03\x04" + kRegistration + "[General]\nPanelWidth=300\n", 300, true},
      {"a section header without its bracket",
       "[Classes\nPelService.PelSrv\\LocalServer=/opt/x\n[General]\nPanelWidth=300\n", 300, true},
      {"a line continued into the next by a backslash",
       "junk\\\n" + kRegistration + "[General]\nPanelWidth=300\n", 300, true},
      {"zero and invalid UTF-8 bytes",
       QByteArray("\xff\xfe\x00\x01\n[General]\nPanelWidth=300\n", 30) + kRegistration, 300, true},
      {"comments, blank lines and Windows line breaks",
       "; set by hand\r\n[General]\r\nPanelWidth=300 ; wide\r\n\r\n[Classes]\r\n"
       "PelService.PelSrv\\LocalServer=/opt/x /Automation\r\n",
       300, true},
      {"only the registration, without a last line break", kRegistration.chopped(1), 315, true},
      {"a lone quote that runs to the end of the file",
       "\"\n" + kRegistration + "[General]\nPanelWidth=300\n", 315, false},
      {"a value whose quote runs to the end of the file",
       "[General]\nPanelWidth=300\nNote=\"unclosed\n" + kRegistration, 300, false},
  };
  for (const DamagedStore& c : cases) {
    SCOPED_TRACE(c.what);
    StoreFile store;
    store.WriteBytes(c.text);
    const QVariant registered =
        QSettings(store.Path(), QSettings::IniFormat).value(kRegistrationKey);

    QString dir;
    TSettings s = Loaded(store, &dir);
    EXPECT_EQ(s.PanelWidth, c.panelWidth);
    s.RotSpeed = 700;
    s.Ports[0] = 2;
    s.modified = true;
    EXPECT_EQ(SaveSettings(store.Path(), "/home/op/designs", s), c.saved);

    const QByteArray after = store.Bytes();
    EXPECT_EQ(QSettings(store.Path(), QSettings::IniFormat).value(kRegistrationKey), registered);
    if (!c.saved) {
      EXPECT_EQ(after, c.text);
      continue;
    }
    // Every line that holds no saved value is still there, in its order.
    const QList<QByteArray> now = Lines(after);
    auto next = now.begin();
    for (const QByteArray& line : Lines(c.text)) {
      if (IsSavedValueLine(line)) continue;
      next = std::find(next, now.end(), line);
      if (next == now.end()) {
        ADD_FAILURE() << "lost: " << line.toStdString();
        break;
      }
      ++next;
    }
    const TSettings reloaded = Loaded(store, &dir);
    EXPECT_EQ(dir, "/home/op/designs");
    EXPECT_EQ(reloaded.RotSpeed, 700);
    EXPECT_EQ(reloaded.Ports[0], 2);
    EXPECT_EQ(reloaded.PanelWidth, c.panelWidth);
  }
}

TEST(Settings, AStoreThatCannotBeWrittenLosesTheRunQuietly) {
  StoreFile store;
  store.Write({"RotSpeed=700"});
  // A store whose folder is a file: nobody, not even root, can create it.
  const QString blocked = store.Path() + "/Pellora.ini";
  TSettings s = Loaded(store);
  s.RotSpeed = 900;
  s.modified = true;
  EXPECT_FALSE(SaveSettings(blocked, "/x", s));
  EXPECT_FALSE(QFileInfo::exists(blocked));
  EXPECT_EQ(Loaded(store).RotSpeed, 700);
}

}  // namespace
