#include "saver/x11/image_folder.h"

#include <climits>
#include <unistd.h>

namespace {

// The folder of this executable, links resolved, as a PATH entry or a link may point to it.
std::string executableFolder() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string file(path, static_cast<std::size_t>(length));
    return file.substr(0, file.rfind('/'));
}

} // namespace

std::string imageFolder() {
    const std::string here = executableFolder();
    const std::string installed = here + "/" PLUME_SAVER_TO_INSTALLED_IMAGES;
    for (const std::string& folder : {installed, here + "/" PLUME_SAVER_TO_BUILD_IMAGES}) {
        if (access((folder + "/feather.tga").c_str(), R_OK) == 0) {
            return folder;
        }
    }
    return installed;
}
