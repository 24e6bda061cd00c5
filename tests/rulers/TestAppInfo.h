#pragma once
// The settings model on a file of the test's choosing, and what the tests read off it.

#include "rulers/RulerInfos.h"

#include <string>
#include <vector>

class TFileAppInfo : public TAppInfo {
public:
    explicit TFileAppInfo(std::string fileName) : FileName(std::move(fileName)) {}
    std::string GetFileName() const override { return FileName; }

private:
    std::string FileName;
};

// The class names of the model's instruments, in list order.
inline std::vector<std::string> ClassNames(const TAppInfo& info) {
    std::vector<std::string> names;
    for (int i = 0; i < info.RulerObjectList().GetCount(); ++i)
        names.push_back(info.RulerObjectList().GetItem(i)->ClassName());
    return names;
}
