#pragma once
#include "src/game/GameControllerDer.h"
#include "src/game/quest/QstPoolData.h"

#include <map>
#include <string>

namespace Quib {

// A level controller that also owns inventory pools by cluster name, one
// instance of Derived for the whole program.
template <class Derived, class Level>
class QstPooledController : public GameControllerDer<Level> {
public:
    static Derived& Instance()
    {
        static Derived instance;
        return instance;
    }
    // The instance when one exists.
    static Derived* Existing() { return existing; }

    QstPooledController() { existing = static_cast<Derived*>(this); }
    ~QstPooledController() override
    {
        if (existing == this)
            existing = nullptr;
    }

    // The pool of a cluster, made empty on first use.
    QstPoolData* GetPoolData(const std::string& clusterName)
    {
        QstPoolData*& pool = pools[clusterName];
        if (!pool)
            pool = new QstPoolData();
        return pool;
    }

    std::map<std::string, QstPoolData*> pools; // owned

protected:
    // Teardown: the levels go before the pools they point at; the common
    // controller's active level is cleared only when it is ours.
    void DropLevelsAndPools()
    {
        if (GameControllerCommon* common = GameControllerCommon::Existing()) {
            if (this->activeLevel && common->activeLevel == this->activeLevel)
                common->SetActiveLevel(nullptr, {});
        }
        this->activeLevel = nullptr;
        this->levels.clear();
        DeletePools();
    }
    // Releases the active level, saves every cached level and forgets the
    // levels and the pools.
    void SaveAndClearLevels()
    {
        if (this->activeLevel)
            GameControllerCommon::Instance().ReleaseActiveLevel();
        this->activeLevel = nullptr;
        for (auto& [name, level] : this->levels)
            level->SaveState();
        this->levels.clear();
        DeletePools();
    }
    // Saves every cached level while one is active.
    void SaveLevelStates()
    {
        if (this->activeLevel) {
            for (auto& [name, level] : this->levels)
                level->SaveState();
        }
    }
    // The active level when it has the wanted name; any other is released
    // (null then).
    Level* ActiveIfWanted()
    {
        GameControllerCommon& common = GameControllerCommon::Instance();
        while (this->activeLevel && this->activeLevel->levelName != this->levelName) {
            Level* before = this->activeLevel;
            common.ReleaseActiveLevel();
            if (this->activeLevel == before) // the common controller held another level
                this->activeLevel = nullptr;
        }
        return this->activeLevel;
    }
    // Makes the level active in the common controller, which forgets it
    // through this controller.
    void MakeActive(Level* level)
    {
        this->activeLevel = level;
        void* self = static_cast<QstPooledController*>(this);
        GameControllerCommon::Instance().SetActiveLevel(level, {&ForgetActiveCallback, self});
    }

private:
    void DeletePools()
    {
        for (auto& [cluster, pool] : pools)
            delete pool;
        pools.clear();
    }
    static void ForgetActiveCallback(void* self) { static_cast<QstPooledController*>(self)->ForgetActiveLevel(); }

    static inline Derived* existing = nullptr;
};

} // namespace Quib
