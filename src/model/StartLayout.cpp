#include "model/StartLayout.h"

#include "model/Paths.h"
#include "model/PictureFile.h"
#include "model/PictureHeader.h"

StartLoad LoadStartLayout(const File& file, Layout& layout) {
    StartLoad load;
    load.status = file.LoadCompleteLayout(layout, &load.problem);
    load.fromBackup = load.status == FileStatus::Incomplete &&
                      file.LoadCompleteLayoutAt(File::BackupPath(layout), layout) == FileStatus::Ok;
    return load;
}

std::vector<std::wstring> MissingRequiredPictures(const std::wstring& folder) {
    std::vector<std::wstring> missing;
    for (const std::wstring name : {kMenuPicture, kDefaultPicture}) {
        if (!ReadWholePicture(PathInFolder(folder, name))) {
            missing.push_back(name);
        }
    }
    return missing;
}
