#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include "catalogue/game_record.h"
#include "catalogue/mame_launch.h"
#include "platform/process_runner_qt.h"

class TForm1;

// Starts MAME on the selected game (to play, to record, or to play a recording back), hides the main
// window while it runs, and when it ends adds the play to the game's catalogue line and shows the
// window again. A start that fails leaves everything as it was and says why.
class MameLauncher : public QObject {
  Q_OBJECT

 public:
  explicit MameLauncher(TForm1* window);

  // The record commands arm the next PlayGame.
  void SetRecordNext(bool on) { recordNext_ = on; }
  bool RecordNext() const { return recordNext_; }
  void PlayGame();
  void PlaybackGame();
  bool IsRunning() const { return runner_.IsRunning(); }
  // The set MAME runs now; empty when it does not run.
  QString RunningGame() const;
  // For the program's end while MAME runs: the play is counted up to now and MAME is closed.
  void EndRunningPlay();
  kestrune::platform::ProcessRunner& Runner() { return runner_; }

 signals:
  // MAME has ended and the play is accounted for (also after a playback).
  void playEnded();

 private:
  bool RefusedWhileRunning();
  bool CheckMameFile();
  void CountPlay();
  bool PlaysWithoutVideo(const kestrune::catalogue::Tgameinfo& game) const;
  bool SelectedGame(kestrune::catalogue::Tgameinfo& record);
  void SetConsoleFor(const kestrune::catalogue::Tgameinfo& game);
  // recording: the playback's file name as found on disk; empty for "<set>.inp".
  bool Start(kestrune::catalogue::PlayKind kind, const std::string& romname, const std::string& recording = {});
  void MameTerminate(int exitCode, bool crashed);

  TForm1* window_;
  kestrune::platform::ProcessRunner runner_;
  bool recordNext_ = false;
  bool playbackRunning_ = false;
  bool ending_ = false;
  kestrune::catalogue::Tgameinfo playing_;
  QElapsedTimer playStart_;
};

// What MAME's exit code says went wrong, for the message shown after a failed run; empty for 0.
QString MameExitText(int exitCode);
