#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ql {

// The counters of the bookmark being fetched, as texts for the Autobrowse Control window.
// All four empty clear the captions.
struct TAutobrowseCounters {
  QString queued;   // "Items Queued/Received": waiting and in flight, " / ", retrieved
  QString data;     // "New Data Transferred": the body bytes, then " bytes"
  QString duration; // "Current Duration": "hh:mm:ss (hh:mm:ss time limit)"
  QString rate;     // "Transfer Rate": "  " + bytes per second + " bytes/sec"
};

// What an Autobrowse session reports to the Autobrowse Control window. The engine calls it
// from its step and its fetches, on the GUI thread; none of the calls may start, step or stop
// the session.
class TAutobrowseView {
public:
  virtual ~TAutobrowseView() = default;

  // Appends a line to the session log and scrolls it into view (AddAutoNote).
  virtual void AddAutoNote(const QString &line) = 0;
  // Rebuilds the out-basket from the bookmark tree (FillOutbasket).
  virtual void FillOutbasket() = 0;
  virtual void ShowCounters(const TAutobrowseCounters &counters) = 0;
  // A bookmark was taken up: Skip applies to it from now on.
  virtual void EnableSkip() = 0;
  // The session ended by itself because no due bookmark is left; its last log lines are
  // written and its counters cleared. The window disables Skip, releases Pause (hint
  // "Pause|Pause Autobrowse") and disables it, releases Start (hint "Start|Start Autobrowsing
  // active items"), sounds the system beep, and ends the program when it was started with
  // "/a" (AutoBrowseAtStart).
  virtual void SessionEnded() = 0;
};

// The stand-in while the program has no Autobrowse Control window: reports go nowhere.
class TNoAutobrowseWindowYet : public TAutobrowseView {
public:
  void AddAutoNote(const QString &) override {}
  void FillOutbasket() override {}
  void ShowCounters(const TAutobrowseCounters &) override {}
  void EnableSkip() override {}
  void SessionEnded() override {}
};

// The lines of the Setup dialog's list "Don't Autobrowse URL links containing", as loaded from
// restrict.dat: links whose URL contains one of them are not followed.
class TExclusionLines {
public:
  virtual ~TExclusionLines() = default;
  virtual QList<QByteArray> ExclusionLines() const = 0;
};

// The stand-in while the program has no Setup dialog: no lines.
class TNoExclusionLinesYet : public TExclusionLines {
public:
  QList<QByteArray> ExclusionLines() const override { return {}; }
};

} // namespace ql
