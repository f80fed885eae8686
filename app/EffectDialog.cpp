#include "app/EffectDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int SliderSteps = 1000;

// Slider position 0..SliderSteps of a value, on the control's scale, and back.
int SliderOf(const TEffectControl& c, double v)
{
    if (c.Max <= c.Min)
        return 0;
    double t = (v - c.Min) / (c.Max - c.Min);
    if (c.Logarithmic && c.Min > 0)
        t = std::log(v / c.Min) / std::log(c.Max / c.Min);
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * SliderSteps));
}

double ValueOf(const TEffectControl& c, int position)
{
    const double t = static_cast<double>(position) / SliderSteps;
    double v = c.Logarithmic && c.Min > 0 ? c.Min * std::pow(c.Max / c.Min, t) : c.Min + t * (c.Max - c.Min);
    if (c.Integer)
        v = std::round(v);
    return v;
}

} // namespace

TEffectDialog::TEffectDialog(const TEffectInfo& info, const std::vector<float>& values,
                             std::function<void(const std::vector<float>&)> preview, std::function<void()> stop,
                             QWidget* parent)
    : QDialog(parent), FInfo(info), FStop(std::move(stop))
{
    setObjectName(QStringLiteral("EffectDialog"));
    setWindowTitle(QString::fromStdString(info.Name));
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    column->addLayout(form);
    if (info.Controls.empty())
        column->insertWidget(0, new QLabel(tr("This effect has no settings."), this));

    for (const TEffectControl& c : info.Controls) {
        QString label = QString::fromStdString(c.Name);
        if (!c.Unit.empty())
            label += QStringLiteral(" (%1)").arg(QString::fromStdString(c.Unit));
        if (c.Toggled) {
            auto* box = new QCheckBox(this);
            form->addRow(label, box);
            FFields.push_back({[box] { return box->isChecked() ? 1.0f : 0.0f; },
                               [box](float v) { box->setChecked(v > 0); }});
        } else if (!c.Choices.empty()) {
            auto* list = new QComboBox(this);
            for (const TEffectChoice& choice : c.Choices)
                list->addItem(QString::fromStdString(choice.Label), choice.Value);
            form->addRow(label, list);
            FFields.push_back({[list] { return list->currentData().toFloat(); },
                               [list](float v) {
                                   // The nearest choice.
                                   int best = 0;
                                   for (int i = 1; i < list->count(); ++i)
                                       if (std::fabs(list->itemData(i).toFloat() - v) <
                                           std::fabs(list->itemData(best).toFloat() - v))
                                           best = i;
                                   list->setCurrentIndex(best);
                               }});
        } else {
            auto* row = new QHBoxLayout;
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setRange(0, SliderSteps);
            slider->setMinimumWidth(200);
            auto* number = new QDoubleSpinBox(this);
            number->setRange(c.Min, c.Max);
            number->setDecimals(c.Integer ? 0 : (c.Max - c.Min >= 100 ? 1 : 3));
            number->setSingleStep(c.Integer ? 1.0 : (c.Max - c.Min) / 100.0);
            row->addWidget(slider, 1);
            row->addWidget(number);
            form->addRow(label, row);
            const TEffectControl control = c;
            connect(slider, &QSlider::valueChanged, number, [number, slider, control](int position) {
                if (SliderOf(control, number->value()) != position)
                    number->setValue(ValueOf(control, position));
                (void)slider;
            });
            connect(number, &QDoubleSpinBox::valueChanged, slider, [slider, control](double v) {
                const QSignalBlocker quiet(slider);
                slider->setValue(SliderOf(control, v));
            });
            FFields.push_back({[number] { return static_cast<float>(number->value()); },
                               [number, slider, control](float v) {
                                   number->setValue(v);
                                   const QSignalBlocker quiet(slider);
                                   slider->setValue(SliderOf(control, v));
                               }});
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FPreview = buttons->addButton(tr("Preview"), QDialogButtonBox::ActionRole);
    FPreview->setObjectName(QStringLiteral("Preview"));
    FReset = buttons->addButton(tr("Reset"), QDialogButtonBox::ResetRole);
    FReset->setObjectName(QStringLiteral("Reset"));
    // Enter applies; the Preview button is no default.
    FPreview->setAutoDefault(false);
    FReset->setAutoDefault(false);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FPreview, &QPushButton::clicked, this, [this, preview] {
        FPreviewing = true;
        preview(Values());
    });
    connect(FReset, &QPushButton::clicked, this, [this] {
        std::vector<float> defaults;
        for (const TEffectControl& c : FInfo.Controls)
            defaults.push_back(c.Default);
        SetValues(defaults);
    });
    connect(this, &QDialog::finished, this, [this] { FStop(); });
    SetValues(values);
}

std::vector<float> TEffectDialog::Values() const
{
    std::vector<float> values;
    for (const TField& field : FFields)
        values.push_back(field.Get());
    return values;
}

void TEffectDialog::SetValues(const std::vector<float>& values)
{
    for (size_t i = 0; i < FFields.size(); ++i)
        FFields[i].Set(i < values.size() ? values[i] : FInfo.Controls[i].Default);
}

void TEffectDialog::keyPressEvent(QKeyEvent* event)
{
    // Esc stops a preview first; pressed again, it cancels.
    if (event->key() == Qt::Key_Escape && FPreviewing) {
        FPreviewing = false;
        FStop();
        return;
    }
    QDialog::keyPressEvent(event);
}
