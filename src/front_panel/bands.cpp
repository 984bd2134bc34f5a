// The band table and the frequency changes that are checked against it.

#include <optional>

#include "front_panel/quelm.h"
#include "front_panel/settings_file.h"
#include "platform/conversions.h"

namespace quelm {

namespace {
constexpr int kNoBand = 99;

// The band rows are in the program folder's settings file. Its full path is
// named because the per-user saved-state file has nearly the same name and is
// the one a search for the short name finds.
QString bandNotDefined(const QString& programFolder)
{
    return QStringLiteral("Band not definited! See ") + settingsFilePath(programFolder);
}

QString notInBand(const QString& programFolder)
{
    return QStringLiteral("QRG not in band limit definition! See ") + settingsFilePath(programFolder);
}
} // namespace

int Quelm::IdentificaBanda(double QRG)
{
    for (int row = 1; row <= kBandRows; ++row) {
        const std::optional<double> low = conv::localeReading(st.BandLimit[row][LowQrg]);
        const std::optional<double> high = conv::localeReading(st.BandLimit[row][HighQrg]);
        // An edge that is no number holds nothing; the row is passed over.
        if (!low || !high)
            continue;
        if (*low <= QRG && QRG <= *high)
            return row;
    }
    return kNoBand;
}

int Quelm::CercaBanda(const QString& b)
{
    for (int row = 1; row <= kBandRows; ++row) {
        const Cell& name = st.BandLimit[row][BandName];
        if (isText(name) && std::get<QString>(name) == b)
            return row;
    }
    platform.messages.critical(bandNotDefined(platform.programFolder));
    return 1;
}

void Quelm::RadioSetBand(const QString& b)
{
    const int row = CercaBanda(b);
    const Cell& startCell = st.BandLimit[row][StartQrg];
    const std::optional<double> start = conv::localeReading(startCell);
    if (!start) {
        platform.messages.critical(
            QStringLiteral("The start frequency \"%1\" of band row %2 in %3 is not a number; "
                           "the radio has not been tuned.")
                .arg(cellText(startCell), QString::number(row), settingsFilePath(platform.programFolder)));
        return;
    }
    st.VFOQrg[st.VFOActive] = *start;
    RadioSetFreq(st.VFOQrg[st.VFOActive]);
    CommandPause();
    RadioReadFreq();
}

void Quelm::CambiaQRG(double QRG, bool tx)
{
    st.VFOQrg[st.VFOActive] = QRG;
    if (tx)
        RadioSetFreq(st.VFOQrg[st.VFOActive]);
    const int band = IdentificaBanda(st.VFOQrg[st.VFOActive]);
    const bool wasOutside = outsideBands_;
    outsideBands_ = band == kNoBand;
    if (band != st.BandIndex && band == kNoBand)
        bandLimitMessage(tx, wasOutside);
    else
        st.BandIndex = band;
}

void Quelm::bandLimitMessage(bool operatorChange, bool wasOutside)
{
    if (operatorChange) {
        // A frequency the operator typed or picked: told every time, and the
        // caller goes on once the box is closed.
        ++bandBoxesOpen_;
        platform.messages.critical(notInBand(platform.programFolder));
        --bandBoxesOpen_;
        return;
    }
    // The radio's own reports (a turning dial, a garbled frame) warn once as the
    // frequency leaves the band table, and again only after it has been back
    // inside a band. The box must not wait inside the receive tick: reports go
    // on being read and shown while it is open.
    if (wasOutside || bandBoxesOpen_ > 0)
        return;
    ++bandBoxesOpen_;
    platform.messages.openCritical(notInBand(platform.programFolder), this, [this] { --bandBoxesOpen_; });
}

void Quelm::SettoMemoria(double fa, const QString& ma, double fb, const QString& mb)
{
    Q_UNUSED(fb);
    Q_UNUSED(mb);
    // A channel row tunes the radio; with the link closed there is nothing to
    // tune and the panel's stored state is left as the operator had it.
    if (!isOn(st.PowerOn))
        return;
    CambiaQRG(fa, true);
    RadioSetMode(ma);
    LCDModo->setCaption(ma);
}

void Quelm::bandKey(const QString& band)
{
    if (isOn(st.PowerOn))
        RadioSetBand(band);
}

void Quelm::cm160m_Click() { bandKey(QStringLiteral("160m")); }
void Quelm::cm80m_Click() { bandKey(QStringLiteral("80m")); }
void Quelm::cm40m_Click() { bandKey(QStringLiteral("40m")); }
void Quelm::cm30m_Click() { bandKey(QStringLiteral("30m")); }
void Quelm::cm20m_Click() { bandKey(QStringLiteral("20m")); }
void Quelm::cm17m_Click() { bandKey(QStringLiteral("17m")); }
void Quelm::cm15m_Click() { bandKey(QStringLiteral("15m")); }
void Quelm::cm12m_Click() { bandKey(QStringLiteral("12m")); }
void Quelm::cm10m_Click() { bandKey(QStringLiteral("10m")); }
void Quelm::cm6m_Click() { bandKey(QStringLiteral("6m")); }
void Quelm::cm2m_Click() { bandKey(QStringLiteral("2m")); }

} // namespace quelm
