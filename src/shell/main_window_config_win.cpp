// The configuration the main window reads at creation: folders and profile.ini.
#include "main_window_win.h"
#include "shell/config_store.h"
#include "shell/app_folders_win.h"
#include "shell/profile_store_win.h"

namespace zv::shell {

void takeSettings(MainWindow& main, const AppSettings& settings) {
    main.model.boardType.store(settings.model.boardType);
    main.model.exBoardCode.store(settings.model.exBoardCode);
    main.connection = settings.connection;
    main.screenshotFolder = settings.screenshotFolder;
    main.buffer = settings.buffer;
    main.sync = settings.sync;
}

void loadStartupConfiguration(MainWindow& main) {
    main.folders = resolveAppFolders();
    PrivateProfileStore store(main.folders.profile);
    AppSettings settings;
    loadConfiguration(store, main.folders, settings, &main.watchList);

    takeSettings(main, settings);
    if (main.sink) {
        main.sink->setDataFolder(main.folders.data);
        main.sink->setProfilePath(main.folders.profile);
    }
}

}  // namespace zv::shell
