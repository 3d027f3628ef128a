// What the application gives a publish: the transfer dialog's layout from
// the resource script and the editor, where a reason's line is shown.
#pragma once

#include "publish/PublishHooks.h"

class CKESTRIX_2App;

class PublishWiring : public PublishHooks {
public:
    explicit PublishWiring(CKESTRIX_2App& app) : app_(app) {}

    void OpenAtLine(const std::string& localPath, int line) override;
    void BuildDialog(QWidget* dialog, UINT templateId, const std::map<int, Maker>& makers) override;

private:
    CKESTRIX_2App& app_;
};
