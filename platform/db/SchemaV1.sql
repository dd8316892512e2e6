-- Schema version 1: the whole system. Tokens replaced per database by the migration
-- runner: {TEXT} a text column compared in byte order, {AUTOID} an integer primary
-- key the database numbers, {REAL} a double, {DATE} a date, {STAMP} a date and time.
-- Identifiers are unquoted so the component's mixed-case SQL runs on both databases.

CREATE TABLE t_Department (
  FItemID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FShortNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL,
  FParentID INTEGER NOT NULL DEFAULT 0,
  FDetail INTEGER NOT NULL DEFAULT 1,          -- 0: a group, 1: a detail entry
  FDProperty INTEGER NOT NULL DEFAULT 1070     -- 1070: production department
);
CREATE UNIQUE INDEX ix_Department_Number ON t_Department (FNumber);

CREATE TABLE t_WorkCenter (
  FInterID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FShortNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL,
  FDeptID INTEGER NOT NULL DEFAULT 0,
  FParentID INTEGER NOT NULL DEFAULT 0,
  FDetail INTEGER NOT NULL DEFAULT 1
);
CREATE UNIQUE INDEX ix_WorkCenter_Number ON t_WorkCenter (FNumber);

-- Auxiliary data: FTypeID 61 processes, 62 teams, 281 device types, 282 time units.
-- FID is the entry's code (text).
CREATE TABLE t_SubMessage (
  FInterID INTEGER PRIMARY KEY,
  FTypeID INTEGER NOT NULL,
  FID {TEXT} NOT NULL,
  FName {TEXT} NOT NULL,
  FParentID INTEGER NOT NULL DEFAULT 0,
  FDetail INTEGER NOT NULL DEFAULT 1
);
CREATE UNIQUE INDEX ix_SubMessage_Type_ID ON t_SubMessage (FTypeID, FID);

CREATE TABLE t_Emp (
  FItemID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FShortNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL,
  FDeptID INTEGER NOT NULL DEFAULT 0,
  FprofessionalGroup INTEGER NOT NULL DEFAULT 0,  -- the employee's team (t_SubMessage 62)
  FParentID INTEGER NOT NULL DEFAULT 0,
  FDetail INTEGER NOT NULL DEFAULT 1
);
CREATE UNIQUE INDEX ix_Emp_Number ON t_Emp (FNumber);
CREATE INDEX ix_Emp_ShortNumber ON t_Emp (FShortNumber);

CREATE TABLE t_Device (
  FInterID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL,
  FType INTEGER NOT NULL DEFAULT 0,              -- t_SubMessage 281
  FWorkCenterID INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX ix_Device_Number ON t_Device (FNumber);

CREATE TABLE t_ICItem (
  FItemID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL,
  FModel {TEXT} NOT NULL DEFAULT '',
  FQtyDecimal INTEGER NOT NULL DEFAULT 2
);
CREATE UNIQUE INDEX ix_ICItem_Number ON t_ICItem (FNumber);

CREATE TABLE t_Supplier (
  FItemID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL
);

CREATE TABLE t_QualityScheme (
  FInterID INTEGER PRIMARY KEY,
  FNumber {TEXT} NOT NULL,
  FName {TEXT} NOT NULL
);

-- Production tasks. FTranType 85; FStatus 1 planned/released, 2 started, 3 closed.
CREATE TABLE ICMO (
  FInterID INTEGER PRIMARY KEY,
  FBillNo {TEXT} NOT NULL,
  FTranType INTEGER NOT NULL DEFAULT 85,
  FStatus INTEGER NOT NULL DEFAULT 1,
  FCancellation INTEGER NOT NULL DEFAULT 0,
  FItemID INTEGER NOT NULL,
  FWorkShop INTEGER NOT NULL DEFAULT 0,           -- department
  FQty {REAL} NOT NULL DEFAULT 0,
  FRoutingID INTEGER NOT NULL DEFAULT 0,
  FPlanCommitDate {DATE},
  FPlanFinishDate {DATE}
);
CREATE UNIQUE INDEX ix_ICMO_BillNo ON ICMO (FBillNo);

-- Work bills: one operation (FOperID, a process) of a production task (FInterID) at a
-- work center. FEntryID is the operation's place in the routing. FStatus 1 or 2 open,
-- 3 closed. Quantities are posted here when reports are audited.
CREATE TABLE SHWorkBillEntry (
  FWBInterID INTEGER PRIMARY KEY,
  FInterID INTEGER NOT NULL,
  FEntryID INTEGER NOT NULL,
  FWorkBillNO {TEXT} NOT NULL,
  FItemID INTEGER NOT NULL,
  FDeptID INTEGER NOT NULL,
  FWorkCenterID INTEGER NOT NULL,
  FOperID INTEGER NOT NULL,
  FStatus INTEGER NOT NULL DEFAULT 1,
  FSuspend INTEGER NOT NULL DEFAULT 0,
  FQualityChkID INTEGER NOT NULL DEFAULT 352,     -- 351 full, 353 sampling, else exempt
  FQualityShcemeID INTEGER NOT NULL DEFAULT 0,
  Ffare INTEGER NOT NULL DEFAULT 1058,            -- 1059: no fee
  FisOut INTEGER NOT NULL DEFAULT 1059,           -- 1058: outsourced
  FteamID INTEGER NOT NULL DEFAULT 0,
  FworkerID INTEGER NOT NULL DEFAULT 0,
  FfmanagerID INTEGER NOT NULL DEFAULT 0,
  FdeviceID INTEGER NOT NULL DEFAULT 0,
  FsupplyID INTEGER NOT NULL DEFAULT 0,
  FTimeUnitID INTEGER NOT NULL DEFAULT 0,         -- t_SubMessage 282
  Ffee {REAL} NOT NULL DEFAULT 0,                 -- unit fee
  FPlanStartDate {DATE},
  FPlanEndDate {DATE},
  FAuxQtyPlan {REAL} NOT NULL DEFAULT 0,
  FAuxQtyRecive {REAL} NOT NULL DEFAULT 0,
  FauxQtyPass {REAL} NOT NULL DEFAULT 0,
  FauxQtyFinish {REAL} NOT NULL DEFAULT 0,
  FauxQty {REAL} NOT NULL DEFAULT 0,
  FauxQtyLost {REAL} NOT NULL DEFAULT 0,
  FauxQtyBack {REAL} NOT NULL DEFAULT 0,
  FauxQtybackpass {REAL} NOT NULL DEFAULT 0,
  FauxQtyScrap {REAL} NOT NULL DEFAULT 0,
  FWorkQty {REAL} NOT NULL DEFAULT 0,
  FmoveQty {REAL} NOT NULL DEFAULT 0,
  FAuxQtyForItem {REAL} NOT NULL DEFAULT 0,
  FauxQtyHandOver {REAL} NOT NULL DEFAULT 0,
  FtotalFee {REAL} NOT NULL DEFAULT 0,
  Ffinishtime {REAL} NOT NULL DEFAULT 0,
  freadytime {REAL} NOT NULL DEFAULT 0,
  fpowercuttime {REAL} NOT NULL DEFAULT 0,
  ffixtime {REAL} NOT NULL DEFAULT 0,
  fwaititemtime {REAL} NOT NULL DEFAULT 0,
  fwaittooltime {REAL} NOT NULL DEFAULT 0,
  Fleadtime {REAL} NOT NULL DEFAULT 0,
  Ftimesetup {REAL} NOT NULL DEFAULT 0,
  Ftimerun {REAL} NOT NULL DEFAULT 0,
  Fmovetime {REAL} NOT NULL DEFAULT 0,
  FtotalWorkTime {REAL} NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX ix_WBE_No ON SHWorkBillEntry (FWorkBillNO);
CREATE UNIQUE INDEX ix_WBE_Operation ON SHWorkBillEntry (FInterID, FOperID);
CREATE INDEX ix_WBE_Routing ON SHWorkBillEntry (FInterID, FEntryID);
CREATE INDEX ix_WBE_WorkCenter ON SHWorkBillEntry (FWorkCenterID);
CREATE INDEX ix_WBE_Status ON SHWorkBillEntry (FStatus);

-- Process reports. Fstatus 0 unaudited, 1 audited. Serial unique within a work bill.
CREATE TABLE SHProcRpt (
  FWBInterID INTEGER NOT NULL,
  Fserial INTEGER NOT NULL,
  FbillerID INTEGER NOT NULL DEFAULT 0,
  Fdate {DATE},
  FworkerID INTEGER NOT NULL DEFAULT 0,
  FdeviceID INTEGER NOT NULL DEFAULT 0,
  FteamID INTEGER NOT NULL DEFAULT 0,
  FstartWorkDate {DATE},
  FendWorkDate {DATE},
  FAuxQtyReceive {REAL} NOT NULL DEFAULT 0,
  FAuxQtyFinish {REAL} NOT NULL DEFAULT 0,
  FAuxQtyPass {REAL} NOT NULL DEFAULT 0,
  FAuxQtyLost {REAL} NOT NULL DEFAULT 0,
  FAuxQtyBack {REAL} NOT NULL DEFAULT 0,
  FAuxQtyBackPass {REAL} NOT NULL DEFAULT 0,
  FAuxQtyScrap {REAL} NOT NULL DEFAULT 0,
  FAuxQtyForItem {REAL} NOT NULL DEFAULT 0,
  FAuxQtyHandOver {REAL} NOT NULL DEFAULT 0,
  FfinishTime {REAL} NOT NULL DEFAULT 0,
  FreadyTime {REAL} NOT NULL DEFAULT 0,
  FpowercutTime {REAL} NOT NULL DEFAULT 0,
  FfixTime {REAL} NOT NULL DEFAULT 0,
  FwaitItemTime {REAL} NOT NULL DEFAULT 0,
  FwaitToolTime {REAL} NOT NULL DEFAULT 0,
  FtotalFee {REAL} NOT NULL DEFAULT 0,
  Fmemo {TEXT} NOT NULL DEFAULT '',
  Fstatus INTEGER NOT NULL DEFAULT 0,
  FcheckerID INTEGER NOT NULL DEFAULT 0,
  FcheckDate {DATE},
  PRIMARY KEY (FWBInterID, Fserial)
);
CREATE INDEX ix_ProcRpt_Status ON SHProcRpt (FWBInterID, Fstatus);

-- Per-user column layouts. Ftype 'WorkBill' or 'ProcRpt'. FSeq is the column's place in
-- the default layout: the tie-breaker that keeps equal positions in a stable order.
CREATE TABLE SHRptDef (
  Ftype {TEXT} NOT NULL,
  FuserID INTEGER NOT NULL,
  Ffield {TEXT} NOT NULL,
  Fname {TEXT} NOT NULL,
  Forder INTEGER NOT NULL,
  Fshow INTEGER NOT NULL DEFAULT 1,
  Fwidth {REAL} NOT NULL DEFAULT 0,
  FSeq INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (Ftype, FuserID, Ffield)
);

CREATE TABLE t_User (
  FUserID INTEGER PRIMARY KEY,
  FName {TEXT} NOT NULL,
  FDescription {TEXT} NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX ix_User_Name ON t_User (FName);

-- Rights: one row per user, subsystem and function; FRights is the mask of granted rights.
CREATE TABLE t_UserRight (
  FUserID INTEGER NOT NULL,
  FSubSys INTEGER NOT NULL,
  FFunction INTEGER NOT NULL,
  FRights INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (FUserID, FSubSys, FFunction)
);

CREATE TABLE t_UsageLog (
  FLogID {AUTOID},
  FUserID INTEGER NOT NULL,
  FFunctionCode {TEXT} NOT NULL,
  FAction INTEGER NOT NULL,
  FTime {STAMP} NOT NULL,
  FComputer {TEXT} NOT NULL
);

CREATE TABLE t_SystemProfile (
  FCategory {TEXT} NOT NULL,
  FKey {TEXT} NOT NULL,
  FValue {TEXT},
  PRIMARY KEY (FCategory, FKey)
);

-- Function-conflict tasks held by workstations (see docs/function-conflict.md).
CREATE TABLE t_FuncTask (
  FTaskID {AUTOID},
  FSubSys INTEGER NOT NULL,
  FFunction {TEXT} NOT NULL,
  FKey {TEXT} NOT NULL,
  FUserID INTEGER NOT NULL DEFAULT 0,
  FComputer {TEXT} NOT NULL,
  FProcessID INTEGER NOT NULL DEFAULT 0,
  FHolder {TEXT} NOT NULL,
  FHeartbeat {STAMP} NOT NULL
);
CREATE UNIQUE INDEX ix_FuncTask_Key ON t_FuncTask (FSubSys, FFunction, FKey);

-- Saved filter plans per report id and plan name.
CREATE TABLE t_FilterPlan (
  FRptID INTEGER NOT NULL,
  FPlan {TEXT} NOT NULL,
  FKey {TEXT} NOT NULL,
  FValue {TEXT} NOT NULL DEFAULT '',
  PRIMARY KEY (FRptID, FPlan, FKey)
);
