#include "SettingDialogs.h"

#include "Select_Disp.h"
#include "Setting_Disp.h"

Setting_Disp &SettingDialogs::settingDialog()
{
    if (!m_settingDisp)
        m_settingDisp = new Setting_Disp(m_parent);
    return *m_settingDisp;
}

Select_Disp &SettingDialogs::selectDialog()
{
    if (!m_selectDisp)
        m_selectDisp = new Select_Disp(m_parent);
    return *m_selectDisp;
}

bool SettingDialogs::settingDialogOpen() const
{
    return m_settingDisp && m_settingDisp->isVisible();
}

bool SettingDialogs::selectDialogOpen() const
{
    return m_selectDisp && m_selectDisp->isVisible();
}
