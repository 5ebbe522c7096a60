#include "pages/Step3.h"

#include "installer/PrinterInstaller.h"

namespace {
const WCHAR kSeriesLabelManual[] = TEXT("请选择打印机系列：");
const WCHAR kModelLabelManual[] = TEXT("请选择要安装的打印机驱动：");
const WCHAR kSeriesLabelDetected[] = TEXT("您选择的打印机所属系列：");
const WCHAR kModelLabelDetected[] = TEXT("您所使用打印机的安装驱动：");
const WCHAR kNotInCatalogue[] =
    TEXT("\n检测到您所使用的打印机驱动程序不在本安装程序内！\n单击确定选用其它驱动安装，单击取消退出安装程序！");
const WCHAR kQuestionCaption[] = TEXT("欢迎使用Korvel打印机");
}  // namespace

CStep3::CStep3() : CPropertyPage(IDD_STEP3), m_bAutoDetect(0) {}

void CStep3::DoDataExchange(CDataExchange* dx)
{
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_MODEL_LIST, m_lstModels);
    DDX_Text(dx, IDC_SERIES_LABEL, m_strSeriesLabel);
    DDX_Text(dx, IDC_MODEL_LABEL, m_strModelLabel);
    DDX_Control(dx, IDC_SERIES_COMBO, m_cboSeries);
}

BOOL CStep3::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_bAutoDetect = 1;
    return TRUE;
}

bool CStep3::ClearSeriesCombo()
{
    for (int i = m_cboSeries.GetCount() - 1; i >= 0; --i) m_cboSeries.DeleteString(static_cast<UINT>(i));
    return m_cboSeries.GetCount() == 0;
}

void CStep3::ClearModelList()
{
    for (int i = m_lstModels.GetCount() - 1; i >= 0; --i) m_lstModels.DeleteString(static_cast<UINT>(i));
}

BOOL CStep3::OnSetActive()
{
    m_strSeriesLabel = kSeriesLabelManual;
    m_strModelLabel = kModelLabelManual;

    ClearSeriesCombo();
    CStringList series;
    if (g_Installer.GetSeriesList(series))
        for (const CString& s : series) m_cboSeries.AddString(s);
    m_cboSeries.SetCurSel(0);

    RefreshModelList();
    UpdateData(FALSE);

    CString model;
    BOOL attached = g_Installer.DetectUsbModel(model);
    if (!m_bAutoDetect && attached) {
        // Only a printer whose model the catalogue lacks is worth the question; a
        // catalogued one plugged in after an earlier visit is simply chosen by hand.
        CString found;
        if (!g_Installer.FindSeriesOfModel(found, model) &&
            MessageBox(kNotInCatalogue, kQuestionCaption, MB_OKCANCEL) == IDCANCEL)
            EndDialog(IDCANCEL);
    }
    return CPropertyPage::OnSetActive();
}

void CStep3::RefreshModelList()
{
    ClearModelList();

    CString model;
    BOOL attached = g_Installer.DetectUsbModel(model);
    CString series;
    if (!g_Installer.FindSeriesOfModel(series, model)) m_bAutoDetect = 0;

    if (attached && m_bAutoDetect == 1) {
        m_strSeriesLabel = kSeriesLabelDetected;
        m_strModelLabel = kModelLabelDetected;
        m_lstModels.AddString(model);
        m_lstModels.SetCurSel(0);
        if (!ClearSeriesCombo()) return;
        m_cboSeries.AddString(series);
        m_cboSeries.SetCurSel(0);
    } else {
        int selected = m_cboSeries.GetCurSel();
        if (selected != CB_ERR) {
            CString name;
            m_cboSeries.GetLBText(selected, name);
            if (!name.IsEmpty()) {
                CStringList models;
                g_Installer.GetSeriesModels(name, models);
                for (const CString& m : models) m_lstModels.AddString(m);
                m_lstModels.SetCurSel(0);
            }
        }
    }
    UpdateData(FALSE);
}

void CStep3::OnSelchangeSeries() { RefreshModelList(); }

LRESULT CStep3::OnWizardBack() { return CPropertyPage::OnWizardBack(); }

LRESULT CStep3::OnWizardNext()
{
    int selected = m_lstModels.GetCurSel();
    if (selected != LB_ERR) {
        CString model;
        m_lstModels.GetText(selected, model);
        if (!model.IsEmpty()) {
            WCHAR printerName[CPrinterInstaller::kPathCapacity] = {0};
            g_Installer.GetPrinterDisplayName(model, printerName, CPrinterInstaller::kPathCapacity);
            g_Installer.SetPrinterName(printerName);
        }
    }
    return CPropertyPage::OnWizardNext();
}

BOOL CStep3::OnWizardFinish() { return FALSE; }
