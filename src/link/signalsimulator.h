// The built-in signal simulator that stands in for the acquisition front end. Once per 48 ms
// tick its five steps build the frames a front end would send, from the stored wave templates
// and the simulator values of the application object, and append them to the receive ring.
#pragma once

#include <cstdint>

class CRxRing;

class CSignalSimulator {
public:
    static constexpr int kValueTicks = 20;  // ECG, respiration and SpO2 values every 960 ms
    static constexpr int kSlowTicks = 25;   // temperature and oxygen every 1200 ms

    CSignalSimulator() = default;

    // The five steps in their order.
    void Tick(CRxRing& ring);
    void SimEcg(CRxRing& ring);
    void SimResp(CRxRing& ring);
    void SimSpo2(CRxRing& ring);
    void SimTemp(CRxRing& ring);
    void SimAirOxy(CRxRing& ring);

    int EcgPosition() const { return m_nEcgPos; }
    void SetEcgPosition(int pos) { m_nEcgPos = pos; }

private:
    // Frames of one step, encoded one after the other, then appended in one piece.
    class FrameBatch {
    public:
        void Add(uint8_t type, const uint8_t* data, int count);
        void AppendTo(CRxRing& ring) const;
    private:
        uint8_t m_byBuf[400] = {};
        int m_nLen = 0;
    };

    void BuildEcgFrame(uint8_t* d, uint8_t* beat);
    void AddEcgValues(FrameBatch& batch) const;
    void AddPleth(FrameBatch& batch, uint8_t status);

    int32_t m_nEcgPos = 0;
    int32_t m_nRespPos = 0;
    int32_t m_nPlethPos = 0;
    int32_t m_nEcgTicks = 0;
    int32_t m_nRespTicks = 0;
    int32_t m_nSpo2Ticks = 0;
    int32_t m_nTempTicks = 0;
    int32_t m_nAirOxyTicks = 0;
};
