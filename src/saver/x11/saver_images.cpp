#include "saver/x11/saver_images.h"

#include "saver/image_folder.h"

#include <climits>
#include <unistd.h>

namespace {

// The folder of this executable, links resolved, as a PATH entry or a link may point to it.
std::filesystem::path executableFolder() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    return std::filesystem::path(std::string(path, static_cast<std::size_t>(length))).parent_path();
}

} // namespace

std::string imageFolder() {
    const std::filesystem::path here = executableFolder();
    const std::filesystem::path candidates[] = {here / PLUME_SAVER_TO_INSTALLED_IMAGES,
                                                here / PLUME_SAVER_TO_BUILD_IMAGES};
    const std::filesystem::path* found = firstImageFolder(candidates, 2);
    return (found != nullptr ? *found : candidates[0]).string();
}
