// NOT THE AUTOMATIC LOADER: a build placeholder used only while the solver
// library has not landed, so the window links. LOAD does nothing with it.
// It drops out by itself once the solver target exists.

#include "model/Figure.h"
#include "solver/AutoLoader.h"

namespace tessaro {

RotationView rotationView(const Puzzle& p) {
    RotationView v;
    for (size_t i = 0; i < kBlocks; ++i) {
        v.shpPiece[i] = pieceColor(p.GE_iRotation[i] + 1, 0);
        v.lblIP[i] = p.GE_iRotation[i] + 1;
        v.lblNo[i] = p.G_Info_Piece[i].iNo;
        v.lblFaceV[i] = p.G_Info_Piece[i].iFace_ct;
        v.lblTurn_CtZ[i] = p.G_Info_Piece[i].iTurn_CtZ;
    }
    return v;
}

void cmdInit_Click(Puzzle& p, LoaderHost& host) {
    subLoader_Init(p);
    host.showRotation(rotationView(p));
}

void subShowRotation(const Puzzle& p, LoaderHost& host) { host.showRotation(rotationView(p)); }

struct AutoLoader::Engine {};
AutoLoader::AutoLoader() = default;
AutoLoader::~AutoLoader() = default;
LoaderOutcome AutoLoader::cmdMove_Click(Puzzle&, LoaderHost&, const LoaderOptions&) { return LoaderOutcome::Nothing; }

}  // namespace tessaro
