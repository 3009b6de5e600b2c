#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "romscan/first_run_setup.h"
#include "romscan/scan_pass.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TForm1;
class TaskDialogJob;

namespace kestrune::platform {
class ProcessRunner;
}

// Guides a first run through choosing MAME and the first ROM scan: it greets the user, makes sure a
// MAME executable of the program folder is chosen, then lets MAME list its games and scans the
// program folder's "roms" for them. A scan that succeeds saves the new catalogue, lists the available
// games and closes the wizard; one that fails says why and leaves the wizard open to try again or
// leave. Cancel stays enabled during the scan: it stops MAME and the scan, and leaves the setup
// without a catalogue, as a failed scan left it. A mame.ini that was in the program folder before is
// kept as mame.ini.bak, so that the one the program writes next names the rom folder that was scanned.
//
// With KESTRUNE_SETUP=unattended in the environment, the wizard goes on by itself when it found MAME
// (as if Next were pressed) and leaves at once when it did not: for installs made by scripts.
class TForm5 : public QDialog {
  Q_OBJECT

 public:
  // Shows the wizard modally; by default without a nested event loop (the main window goes on with
  // its start-up behind it). Tests replace it.
  using ModalRunner = std::function<void(QDialog& dialog)>;
  // The file dialog that chooses MAME: the path chosen, "" when cancelled.
  using FileChooser = std::function<QString(const QString& folder)>;

  explicit TForm5(QWidget* parent = nullptr);
  ~TForm5() override;

  void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  // The first run's turn: shows the wizard for the main window, whose settings it writes.
  void Start(TForm1* window);
  // "Choose": the executable, when none was found.
  void ChooseMameExe();
  // "Next": the first ROM scan.
  void ScanWizardNext();
  // Whether the scan runs (from the start of MAME until the catalogue is saved).
  bool Scanning() const { return scanning_; }
  // Ends a scan under way as Cancel does, without waiting for the event loop: MAME and the worker are
  // stopped and the scan's files removed.
  void AbandonScan();
  // The MAME executable the wizard goes on with ("" while none is chosen).
  const std::string& MameFile() const { return mameFile_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void FormShow();
  kestrune::romscan::OptionalFiles Optionals() const;
  void RunListXmlBatch();
  kestrune::romscan::ScanPassParams PassParams();
  void ShowInstruction(const QString& text);
  void PassEnded(bool succeeded, QString message);
  void CancelScan();
  // Saves the new catalogue and what the settings keep of the scan; false, with *error, when the
  // catalogue cannot be written.
  bool SaveScanResult(std::string* error);
  void WriteBiosInis();
  void SetAsideUserMameIni();
  void ScanFailed(const QString& message);
  void SetBusy(bool busy);

  TForm1* window_ = nullptr;
  QLabel* image1_ = nullptr;
  QLabel* heading_ = nullptr;
  QLabel* memo1_ = nullptr;
  QLabel* preVordering2_ = nullptr;
  QLabel* vordering2_ = nullptr;
  QProgressBar* balk3_ = nullptr;
  QCheckBox* showbadroms_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QPushButton* exitbutton_ = nullptr;
  kestrune::platform::ProcessRunner* mameini2_ = nullptr;
  ModalRunner modalRunner_;
  FileChooser chooseFile_;

  std::string frontDir_;
  std::string mameFile_;
  bool userMameIni_ = false;  // the program folder had a mame.ini when the wizard opened
  bool scanning_ = false;
  std::unique_ptr<TaskDialogJob> job_;
  kestrune::romscan::MameListRun mameRun_;
  kestrune::romscan::ScanPassResult result_;
};
