// The application object of Velomar: the managers, the broker, the settings and the database as
// members, built in this order and destroyed in the reverse order. Each manager starts its worker
// in its constructor; InitGUI opens the database, initialises the managers, creates the main window
// and refreshes every manager once.
#pragma once

#include "velomar/core/Config.h"
#include "velomar/core/app/App.h"
#include <memory>

#include "velomar/core/managers/BTMgr.h"
#include "velomar/core/managers/BacklightMgr.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/BeamMgr.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/CallForwardMgr.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/core/managers/CpuMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/core/managers/MessageMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/core/managers/WifiMgr.h"
#include "velomar/places/DB.h"

class CWindowMain;

class CAppConnMgr : public CApp {
 public:
  CAppConnMgr();
  // Marks the application as shutting down first (no listener is called from then on), then
  // destroys the main window and the members in reverse order.
  ~CAppConnMgr() override;

  virtual CConfig* GetConfig() { return &m_config; }
  // True when the main window was created.
  bool InitGUI() override;

  CCpuMgr& GetCpuMgr() { return m_cpuMgr; }
  CSpeakerMgr& GetSpeakerMgr() { return m_speakerMgr; }
  CBroker& GetBroker() { return m_broker; }
  CBeamMgr& GetBeamMgr() { return m_beamMgr; }
  CCallForwardMgr& GetCallForwardMgr() { return m_callForwardMgr; }
  CBacklightMgr& GetBacklightMgr() { return m_backlightMgr; }
  CBTMgr& GetBTMgr() { return m_btMgr; }
  CMessageMgr& GetMessageMgr() { return m_messageMgr; }
  CWifiOssVcsMgr* GetWifiMgr() { return m_wifiMgr.get(); }
  CMobilePhoneMgr& GetPhoneMgr() { return m_phoneMgr; }
  CConnectionsMgr& GetConnectionsMgr() { return m_connectionsMgr; }
  CBandMgr& GetBandMgr() { return m_bandMgr; }
  CRilMgr& GetRilMgr() { return m_rilMgr; }
  CDB& GetDB() { return m_db; }

 private:
  // In construction order.
  CDB m_db;
  CBTMgr m_btMgr;
  CMessageMgr m_messageMgr;
  CCpuMgr m_cpuMgr;
  CMobilePhoneMgr m_phoneMgr;
  CConnectionsMgr m_connectionsMgr;
  CBandMgr m_bandMgr;
  CSpeakerMgr m_speakerMgr;
  CBroker m_broker;
  CRilMgr m_rilMgr;
  CConfig m_config;
  CBeamMgr m_beamMgr;
  CCallForwardMgr m_callForwardMgr;
  CBacklightMgr m_backlightMgr;
  // Made on the heap as the constructor's last step; destroyed first.
  std::unique_ptr<CWifiOssVcsMgr> m_wifiMgr;
  // Made by InitGUI; destroyed before the Wi-Fi manager.
  std::unique_ptr<CWindowMain> m_mainWindow;
};
