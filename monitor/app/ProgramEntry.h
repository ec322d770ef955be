// The program entry: chart preferences (which load the main window and its link driver), the
// data folders, this run's alarm history file, the opening screen, the stored preferences and
// the main loop, in this order. A step that fails is passed over and start-up goes on.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class MainDisp;
class OpeningScreen;

class ProgramEntry {
public:
    ProgramEntry();
    ~ProgramEntry();

    // Runs every step up to and including communicate(); the Qt event loop is the main loop.
    void start();
    // After the main loop: the program's end goes into the change record.
    void end();

    // Runs as soon as the main window is loaded, before anything talks to the controller:
    // a test installs its link's clock here.
    std::function<void(MainDisp &)> onMainWindowLoaded;

    MainDisp &mainDisp() { return *m_mainDisp; }
    OpeningScreen &openingScreen() { return *m_openingScreen; }
    QString historyFilePath() const { return m_historyFile; }

private:
    void loadChartSettings();
    void makeDataFolders(const QStringList &names);

    std::unique_ptr<MainDisp> m_mainDisp;
    std::unique_ptr<OpeningScreen> m_openingScreen;
    QString m_historyFile;
};
