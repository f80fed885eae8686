#pragma once
// The parameter dialog of a LADSPA or LV2 effect, made from its control ports: a check
// box for a toggled port, a drop-down for an enumerated one, else a slider with a number
// field (in whole steps for an integer port, on a logarithmic scale where the port asks
// for one). "Preview" plays the working selection processed, "Reset" brings back the
// defaults, "OK" applies, "Cancel" leaves everything as it was.

#include <QDialog>
#include <functional>
#include <vector>

#include "effects/EffectInfo.h"

class QPushButton;

class TEffectDialog : public QDialog {
    Q_OBJECT
public:
    // values: one per control (the last used, or the defaults); preview plays the working
    // selection through the effect with the values given; stop ends what plays.
    TEffectDialog(const TEffectInfo& info, const std::vector<float>& values,
                  std::function<void(const std::vector<float>&)> preview, std::function<void()> stop,
                  QWidget* parent);

    std::vector<float> Values() const;
    void SetValues(const std::vector<float>& values);

    QPushButton* PreviewButton() const { return FPreview; }
    QPushButton* ResetButton() const { return FReset; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // One control's widgets: how to read its value and how to set it.
    struct TField {
        std::function<float()> Get;
        std::function<void(float)> Set;
    };
    const TEffectInfo& FInfo;
    std::vector<TField> FFields;
    QPushButton* FPreview = nullptr;
    QPushButton* FReset = nullptr;
    std::function<void()> FStop;
    bool FPreviewing = false;
};
