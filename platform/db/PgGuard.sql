-- The database's own guard on PostgreSQL: who may read and write what, enforced by the
-- server whatever program a user connects with. Run once by the migration, in its
-- transaction, as the tables' owner, after the group roles exist; safe to run again. Tokens: {SCHEMA} the
-- schema of the tables, {DATABASE} the database, {USERS} {ADMINS} {OPEN} {NEW} {CHANGE}
-- {AUDIT} {DELETE} the group roles (docs/security.md), all as quoted identifiers.
--
-- Every function names its search path, with pg_temp last: a caller cannot shadow a
-- table with a temporary one of the same name.

-- ---- who the session is ---------------------------------------------------------------

-- The workbench user the session signed in as: the t_User row named like the login role.
CREATE OR REPLACE FUNCTION sp_user_id() RETURNS integer LANGUAGE sql STABLE
SET search_path = {SCHEMA}, pg_temp AS $$
  SELECT FUserID FROM t_User WHERE FName = session_user
$$;

-- Whether the session may act for others (seeding, maintenance): the tables' owner or a
-- superuser, whom row security does not bind anyway.
CREATE OR REPLACE FUNCTION sp_is_owner() RETURNS boolean LANGUAGE sql STABLE
SET search_path = {SCHEMA}, pg_temp AS $$
  SELECT pg_has_role(session_user, c.relowner, 'MEMBER') FROM pg_class c
  WHERE c.oid = '{SCHEMA}.shprocrpt'::regclass
$$;

-- A work bill that takes new reports: open, not suspended, its task open and not cancelled.
CREATE OR REPLACE FUNCTION sp_work_bill_reportable(p_wb integer) RETURNS boolean LANGUAGE sql STABLE
SET search_path = {SCHEMA}, pg_temp AS $$
  SELECT EXISTS (SELECT 1 FROM SHWorkBillEntry wbe JOIN ICMO mo ON mo.FInterID = wbe.FInterID
                 WHERE wbe.FWBInterID = p_wb AND wbe.FStatus IN (1, 2) AND wbe.FSuspend = 0
                   AND mo.FCancellation = 0 AND mo.FStatus IN (1, 2))
$$;

-- The advisory lock key of a function-conflict task, as the workstations take it: the first
-- eight bytes of SHA-256 of "subsystem \x1f function \x1f key", a signed 64-bit number.
CREATE OR REPLACE FUNCTION sp_task_lock_key(p_subsys integer, p_function text, p_key text) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT SET search_path = {SCHEMA}, pg_temp AS $$
  SELECT ('x' || encode(substr(sha256(convert_to(p_subsys::text || chr(31) || p_function || chr(31)
          || p_key, 'UTF8')), 1, 8), 'hex'))::bit(64)::bigint
$$;

-- Whether the server process p_pid holds the task's lock: a row whose holder does not is
-- a dead session's leftover.
CREATE OR REPLACE FUNCTION sp_task_held(p_pid integer, p_subsys integer, p_function text, p_key text)
RETURNS boolean LANGUAGE sql STABLE SET search_path = {SCHEMA}, pg_temp AS $$
  SELECT EXISTS (SELECT 1 FROM pg_locks l WHERE l.locktype = 'advisory' AND l.granted
                   AND l.objsubid = 1 AND l.pid = p_pid
                   AND ((l.classid::bigint << 32) | l.objid::bigint) = sp_task_lock_key(p_subsys, p_function, p_key))
$$;

-- ---- users and their rights as roles ------------------------------------------------------

-- Whether the role p_member is a direct member of the group role p_group.
CREATE OR REPLACE FUNCTION sp_is_member(p_group text, p_member text) RETURNS boolean LANGUAGE sql STABLE
SET search_path = {SCHEMA}, pg_temp AS $$
  SELECT EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid
                 JOIN pg_roles u ON u.oid = m.member WHERE g.rolname = p_group AND u.rolname = p_member)
$$;

-- Makes the login role of a user and its memberships follow t_User and t_UserRight: a user
-- is a member of {USERS} and of each right's group role whose bit the mask of subsystem
-- 1024, function 30 holds. A name that left t_User leaves every group (the role itself stays:
-- roles are the server's, and the user may work in another database). A missing role is
-- made without login: an administrator gives it a password (erp-host user password).
CREATE OR REPLACE FUNCTION sp_sync_member(p_name text) RETURNS void LANGUAGE plpgsql SECURITY DEFINER
SET search_path = {SCHEMA}, pg_temp AS $$
DECLARE
  v_id integer;
  v_mask integer := 0;
  v_want boolean;
  v_has boolean;
  r record;
BEGIN
  SELECT FUserID INTO v_id FROM t_User WHERE FName = p_name;
  IF v_id IS NOT NULL THEN
    IF p_name = '' OR octet_length(p_name) > 63 OR p_name LIKE 'pg\_%' THEN
      RAISE EXCEPTION 'The user name "%" cannot be a database role: a role''s name holds 1 to 63 bytes and does not begin with pg_.', p_name
        USING ERRCODE = '22023';
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = p_name) THEN
      BEGIN
        EXECUTE format('CREATE ROLE %I NOLOGIN', p_name);
      EXCEPTION WHEN duplicate_object OR unique_violation THEN
        NULL;  -- made meanwhile for another database of the server
      END;
    END IF;
    SELECT COALESCE(MAX(FRights), 0) INTO v_mask FROM t_UserRight
    WHERE FUserID = v_id AND FSubSys = 1024 AND FFunction = 30;
  ELSIF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = p_name) THEN
    RETURN;
  END IF;
  FOR r IN SELECT FKind, FRole, FRights FROM t_DbRole WHERE FKind <> 'admins' LOOP
    v_want := v_id IS NOT NULL AND (r.FKind = 'users' OR (v_mask & r.FRights) = r.FRights);
    v_has := sp_is_member(r.FRole, p_name);
    IF v_want AND NOT v_has THEN
      EXECUTE format('GRANT %I TO %I', r.FRole, p_name);
    ELSIF v_has AND NOT v_want THEN
      EXECUTE format('REVOKE %I FROM %I', r.FRole, p_name);
    END IF;
  END LOOP;
  IF v_id IS NULL THEN
    PERFORM sp_grant_admin(p_name, false);
  END IF;
END
$$;

CREATE OR REPLACE FUNCTION sp_user_changed() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
SET search_path = {SCHEMA}, pg_temp AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN
    PERFORM sp_sync_member(OLD.FName);
  END IF;
  IF TG_OP <> 'DELETE' THEN
    PERFORM sp_sync_member(NEW.FName);
  END IF;
  RETURN NULL;
END
$$;

CREATE OR REPLACE FUNCTION sp_rights_changed() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
SET search_path = {SCHEMA}, pg_temp AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN
    PERFORM sp_sync_member(u.FName) FROM t_User u WHERE u.FUserID = OLD.FUserID;
  END IF;
  IF TG_OP <> 'DELETE' THEN
    PERFORM sp_sync_member(u.FName) FROM t_User u WHERE u.FUserID = NEW.FUserID;
  END IF;
  RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tr_User_Role AFTER INSERT OR UPDATE OR DELETE ON t_User
FOR EACH ROW EXECUTE FUNCTION sp_user_changed();
CREATE OR REPLACE TRIGGER tr_UserRight_Role AFTER INSERT OR UPDATE OR DELETE ON t_UserRight
FOR EACH ROW EXECUTE FUNCTION sp_rights_changed();

-- Refuses a role with powers beyond a workbench user's (a superuser, a role that makes
-- roles or databases, the database's owner): its password and login are the server
-- administrator's business, never the workbench administrator's.
CREATE OR REPLACE FUNCTION sp_guard_role(p_name text) RETURNS void LANGUAGE plpgsql STABLE
SET search_path = {SCHEMA}, pg_temp AS $$
DECLARE
  r record;
BEGIN
  IF NOT EXISTS (SELECT 1 FROM t_User WHERE FName = p_name) THEN
    RAISE EXCEPTION 'There is no user "%" in this database.', p_name USING ERRCODE = '42704';
  END IF;
  SELECT * INTO r FROM pg_roles WHERE rolname = p_name;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'The user "%" has no database role.', p_name USING ERRCODE = '42704';
  END IF;
  IF r.rolsuper OR r.rolcreaterole OR r.rolcreatedb OR r.rolreplication OR r.rolbypassrls
     OR pg_has_role(r.oid, (SELECT datdba FROM pg_database WHERE datname = current_database()), 'MEMBER') THEN
    RAISE EXCEPTION 'The role "%" has powers beyond a workbench user''s; only the server''s administrator changes its password or login.', p_name
      USING ERRCODE = '42501';
  END IF;
END
$$;

-- Sets a user's password and lets the role sign in. Takes a SCRAM-SHA-256 verifier made on
-- the client, never a password: the server never sees the password itself.
CREATE OR REPLACE FUNCTION sp_set_password(p_name text, p_verifier text) RETURNS void LANGUAGE plpgsql
SECURITY DEFINER SET search_path = {SCHEMA}, pg_temp AS $$
BEGIN
  PERFORM sp_guard_role(p_name);
  IF p_verifier IS NULL OR p_verifier NOT LIKE 'SCRAM-SHA-256$%' THEN
    RAISE EXCEPTION 'A password is set only as a SCRAM-SHA-256 verifier.' USING ERRCODE = '22023';
  END IF;
  EXECUTE format('ALTER ROLE %I LOGIN PASSWORD %L', p_name, p_verifier);
END
$$;

-- A leaver: the role may no longer sign in and its sessions in this database end; the user
-- row, its rights and its reports stay. Answers how many sessions were ended.
CREATE OR REPLACE FUNCTION sp_disable_user(p_name text) RETURNS integer LANGUAGE plpgsql SECURITY DEFINER
SET search_path = {SCHEMA}, pg_temp AS $$
DECLARE
  v_pid integer;
  v_ended integer := 0;
BEGIN
  PERFORM sp_guard_role(p_name);
  EXECUTE format('ALTER ROLE %I NOLOGIN', p_name);
  FOR v_pid IN SELECT pid FROM pg_stat_activity
               WHERE usename = p_name AND datname = current_database() AND pid <> pg_backend_pid() LOOP
    BEGIN
      IF pg_terminate_backend(v_pid) THEN
        v_ended := v_ended + 1;
      END IF;
    EXCEPTION WHEN insufficient_privilege THEN
      NULL;  -- the owner may not signal: the session ends when its program closes
    END;
  END LOOP;
  RETURN v_ended;
END
$$;

-- Makes a user an administrator of the workbench, or no longer one.
CREATE OR REPLACE FUNCTION sp_grant_admin(p_name text, p_admin boolean) RETURNS void LANGUAGE plpgsql
SECURITY DEFINER SET search_path = {SCHEMA}, pg_temp AS $$
DECLARE
  v_role text := (SELECT FRole FROM t_DbRole WHERE FKind = 'admins');
  v_has boolean;
BEGIN
  IF p_admin AND NOT EXISTS (SELECT 1 FROM t_User WHERE FName = p_name) THEN
    RAISE EXCEPTION 'There is no user "%" in this database.', p_name USING ERRCODE = '42704';
  END IF;
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = p_name) THEN
    RETURN;
  END IF;
  v_has := sp_is_member(v_role, p_name);
  IF p_admin AND NOT v_has THEN
    EXECUTE format('GRANT %I TO %I', v_role, p_name);
  ELSIF v_has AND NOT p_admin THEN
    EXECUTE format('REVOKE %I FROM %I', v_role, p_name);
  END IF;
END
$$;

-- ---- held work bills ------------------------------------------------------------------------

-- Ends the session of a workstation that holds work bills, for an administrator's forced
-- release: only a server process that holds advisory locks in this database (the locks are
-- the holds). False when there is none; raises when the owner may not end it (it needs
-- pg_signal_backend).
CREATE OR REPLACE FUNCTION sp_end_task_session(p_pid integer) RETURNS boolean LANGUAGE plpgsql
SECURITY DEFINER SET search_path = {SCHEMA}, pg_temp AS $$
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_locks l JOIN pg_database d ON d.oid = l.database
                 WHERE l.locktype = 'advisory' AND l.granted AND l.pid = p_pid
                   AND d.datname = current_database()) THEN
    RETURN false;
  END IF;
  RETURN pg_terminate_backend(p_pid);
END
$$;

-- ---- audit and unaudit: the only way to post quantities ---------------------------------------

-- Audits (p_sign 1) or unaudits (-1) a report and moves its work bill's posted quantities
-- with it, under the lock of the task's work bills. The checker is the session's user; only
-- the owner, who signs in as no user, names one (p_checker). Answers a code the service turns
-- into its message: 0 done, 1 no such work bill, 2 no such report, 3 audited already,
-- 4 not audited, 5 the receive limit (amount: the room left, or after an unaudit), 6 the
-- handover limit (amount: what is missing, or what an unaudit would leave short), 7 changed
-- meanwhile. The limits are those of the receive control (docs/quantity-rules.md) while the
-- system profile's SHOPPROC_CONTROLRECEIVE is on; the switch's stored value comes back too
-- once it was read, so that the service can log one it cannot read.
CREATE OR REPLACE FUNCTION sp_post_report(p_wb integer, p_serial integer, p_sign integer, p_checker integer)
RETURNS TABLE (code integer, work_bill text, amount double precision, setting text) LANGUAGE plpgsql
SECURITY DEFINER SET search_path = {SCHEMA}, pg_temp AS $$
DECLARE
  c_eps CONSTANT double precision := 1e-7;
  v_me integer := sp_user_id();
  w record;
  v_status integer;
  v_receive double precision;
  v_handover double precision;
  v_setting text;
  v_number text;
  v_control boolean;
  v_dr double precision;
  v_dh double precision;
  v_changed integer;
BEGIN
  IF p_sign NOT IN (1, -1) THEN
    RAISE EXCEPTION 'sp_post_report: the sign is 1 or -1, not %', p_sign USING ERRCODE = '22023';
  END IF;
  IF v_me IS NULL THEN
    IF NOT sp_is_owner() THEN
      RAISE EXCEPTION 'The role "%" is not a user of the process report workbench.', session_user
        USING ERRCODE = '42501';
    END IF;
    v_me := p_checker;
  END IF;
  PERFORM 1 FROM SHWorkBillEntry WHERE FInterID = (SELECT FInterID FROM SHWorkBillEntry WHERE FWBInterID = p_wb)
  ORDER BY FWBInterID FOR UPDATE;
  SELECT s.FWorkBillNO, s.FAuxQtyPlan, s.FAuxQtyRecive, s.FauxQtyHandOver,
         (SELECT p.FauxQtyHandOver FROM SHWorkBillEntry p WHERE p.FInterID = s.FInterID
            AND p.FEntryID < s.FEntryID ORDER BY p.FEntryID DESC LIMIT 1) AS prev_handover,
         (SELECT n.FAuxQtyRecive FROM SHWorkBillEntry n WHERE n.FInterID = s.FInterID
            AND n.FEntryID > s.FEntryID ORDER BY n.FEntryID LIMIT 1) AS next_receive
    INTO w FROM SHWorkBillEntry s WHERE s.FWBInterID = p_wb;
  IF NOT FOUND THEN
    RETURN QUERY SELECT 1, NULL::text, 0::double precision, NULL::text;
    RETURN;
  END IF;
  SELECT r.Fstatus, r.FAuxQtyReceive, r.FAuxQtyHandOver INTO v_status, v_receive, v_handover
  FROM SHProcRpt r WHERE r.FWBInterID = p_wb AND r.Fserial = p_serial;
  IF NOT FOUND THEN
    RETURN QUERY SELECT 2, w.FWorkBillNO, 0::double precision, NULL::text;
    RETURN;
  END IF;
  IF p_sign > 0 AND v_status <> 0 THEN
    RETURN QUERY SELECT 3, w.FWorkBillNO, 0::double precision, NULL::text;
    RETURN;
  END IF;
  IF p_sign < 0 AND v_status = 0 THEN
    RETURN QUERY SELECT 4, w.FWorkBillNO, 0::double precision, NULL::text;
    RETURN;
  END IF;

  -- The switch as the workbench reads it: none is on; true/false, or the number it starts with.
  SELECT FValue INTO v_setting FROM t_SystemProfile WHERE FCategory = 'SH' AND FKey = 'SHOPPROC_CONTROLRECEIVE';
  IF v_setting IS NULL THEN
    v_control := true;
  ELSIF lower(btrim(v_setting, E' \t\r\n\f\v')) IN ('true', 'false') THEN
    v_control := lower(btrim(v_setting, E' \t\r\n\f\v')) = 'true';
  ELSE
    v_number := substring(v_setting FROM '^[ \t]*([+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+))');
    v_control := v_number IS NOT NULL AND v_number::double precision <> 0;
  END IF;
  IF v_control THEN
    v_dr := p_sign * v_receive;
    v_dh := p_sign * v_handover;
    IF v_dr > c_eps AND w.FAuxQtyRecive + v_dr > COALESCE(w.prev_handover, w.FAuxQtyPlan) + c_eps THEN
      RETURN QUERY SELECT 5, w.FWorkBillNO, COALESCE(w.prev_handover, w.FAuxQtyPlan) - w.FAuxQtyRecive, v_setting;
      RETURN;
    END IF;
    IF v_dh < -c_eps AND w.FauxQtyHandOver + v_dh < COALESCE(w.next_receive, 0) - c_eps THEN
      RETURN QUERY SELECT 6, w.FWorkBillNO,
        CASE WHEN p_sign > 0 THEN COALESCE(w.next_receive, 0) - w.FauxQtyHandOver
             ELSE w.FauxQtyHandOver - COALESCE(w.next_receive, 0) END, v_setting;
      RETURN;
    END IF;
  END IF;

  IF p_sign > 0 THEN
    UPDATE SHProcRpt SET Fstatus = 1, FcheckerID = v_me, FcheckDate = CURRENT_DATE
    WHERE FWBInterID = p_wb AND Fserial = p_serial AND Fstatus = 0;
  ELSE
    UPDATE SHProcRpt SET Fstatus = 0, FcheckerID = 0, FcheckDate = NULL
    WHERE FWBInterID = p_wb AND Fserial = p_serial AND Fstatus <> 0;
  END IF;
  GET DIAGNOSTICS v_changed = ROW_COUNT;
  IF v_changed <> 1 THEN
    RETURN QUERY SELECT 7, w.FWorkBillNO, 0::double precision, v_setting;
    RETURN;
  END IF;
  UPDATE SHWorkBillEntry b SET
    FAuxQtyRecive = b.FAuxQtyRecive + p_sign * r.FAuxQtyReceive,
    FauxQtyFinish = b.FauxQtyFinish + p_sign * r.FAuxQtyFinish,
    FauxQtyPass = b.FauxQtyPass + p_sign * r.FAuxQtyPass,
    FauxQtyLost = b.FauxQtyLost + p_sign * r.FAuxQtyLost,
    FauxQtyBack = b.FauxQtyBack + p_sign * r.FAuxQtyBack,
    FauxQtybackpass = b.FauxQtybackpass + p_sign * r.FAuxQtyBackPass,
    FauxQtyScrap = b.FauxQtyScrap + p_sign * r.FAuxQtyScrap,
    FAuxQtyForItem = b.FAuxQtyForItem + p_sign * r.FAuxQtyForItem,
    FauxQtyHandOver = b.FauxQtyHandOver + p_sign * r.FAuxQtyHandOver,
    FtotalFee = b.FtotalFee + p_sign * r.FtotalFee,
    Ffinishtime = b.Ffinishtime + p_sign * r.FfinishTime,
    freadytime = b.freadytime + p_sign * r.FreadyTime,
    fpowercuttime = b.fpowercuttime + p_sign * r.FpowercutTime,
    ffixtime = b.ffixtime + p_sign * r.FfixTime,
    fwaititemtime = b.fwaititemtime + p_sign * r.FwaitItemTime,
    fwaittooltime = b.fwaittooltime + p_sign * r.FwaitToolTime
  FROM SHProcRpt r
  WHERE b.FWBInterID = p_wb AND r.FWBInterID = p_wb AND r.Fserial = p_serial;
  RETURN QUERY SELECT 0, w.FWorkBillNO, 0::double precision, v_setting;
END
$$;

-- Several reports audited (1) or unaudited (-1) in one round trip: each as sp_post_report
-- would, one after the other and each on its own (a subtransaction per report), a row per
-- report in the order given (ord counts from 1). A report whose posting raises an error is
-- rolled back alone and ends the answer there: the caller posts it and the rest one by one,
-- so that the error reaches it as it would have. The caller's own rights apply
-- (SECURITY INVOKER): only an auditor may execute sp_post_report.
CREATE OR REPLACE FUNCTION sp_post_reports(p_wbs integer[], p_serials integer[], p_sign integer, p_checker integer)
RETURNS TABLE (ord integer, code integer, work_bill text, amount double precision, setting text)
LANGUAGE plpgsql SET search_path = {SCHEMA}, pg_temp AS $$
DECLARE
  i integer;
  r record;
BEGIN
  IF coalesce(array_length(p_wbs, 1), 0) <> coalesce(array_length(p_serials, 1), 0) THEN
    RAISE EXCEPTION 'sp_post_reports: % work bills, % serials', array_length(p_wbs, 1), array_length(p_serials, 1)
      USING ERRCODE = '22023';
  END IF;
  FOR i IN 1 .. coalesce(array_length(p_wbs, 1), 0) LOOP
    BEGIN
      SELECT * INTO r FROM sp_post_report(p_wbs[i], p_serials[i], p_sign, p_checker);
    EXCEPTION WHEN OTHERS THEN
      RETURN;
    END;
    RETURN QUERY SELECT i, r.code, r.work_bill, r.amount, r.setting;
  END LOOP;
END
$$;

-- ---- privileges ---------------------------------------------------------------------------------

GRANT CONNECT ON DATABASE {DATABASE} TO {USERS};
REVOKE CREATE ON SCHEMA {SCHEMA} FROM PUBLIC;
GRANT USAGE ON SCHEMA {SCHEMA} TO {USERS};
GRANT {USERS} TO {ADMINS};

REVOKE ALL ON ALL TABLES IN SCHEMA {SCHEMA} FROM PUBLIC;
GRANT SELECT ON ALL TABLES IN SCHEMA {SCHEMA} TO {USERS};
REVOKE SELECT ON t_UsageLog FROM {USERS};
GRANT USAGE ON ALL SEQUENCES IN SCHEMA {SCHEMA} TO {USERS};

REVOKE ALL ON FUNCTION sp_sync_member(text), sp_user_changed(), sp_rights_changed(), sp_set_password(text, text),
  sp_disable_user(text), sp_grant_admin(text, boolean), sp_end_task_session(integer),
  sp_post_report(integer, integer, integer, integer), sp_post_reports(integer[], integer[], integer, integer)
  FROM PUBLIC;
GRANT EXECUTE ON FUNCTION sp_set_password(text, text), sp_disable_user(text), sp_grant_admin(text, boolean),
  sp_end_task_session(integer) TO {ADMINS};
GRANT EXECUTE ON FUNCTION sp_post_report(integer, integer, integer, integer),
  sp_post_reports(integer[], integer[], integer, integer) TO {AUDIT};

-- Reports: new ones under the caller's own name and as drafts, on a work bill that takes
-- them; changes and deletes of drafts only; status, checker and audit date never directly.
ALTER TABLE SHProcRpt ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS rpt_read ON SHProcRpt;
CREATE POLICY rpt_read ON SHProcRpt FOR SELECT TO {USERS} USING (true);
DROP POLICY IF EXISTS rpt_new ON SHProcRpt;
CREATE POLICY rpt_new ON SHProcRpt FOR INSERT TO {NEW}
  WITH CHECK (FbillerID = sp_user_id() AND Fstatus = 0 AND FcheckerID = 0 AND FcheckDate IS NULL
              AND sp_work_bill_reportable(FWBInterID));
DROP POLICY IF EXISTS rpt_change ON SHProcRpt;
CREATE POLICY rpt_change ON SHProcRpt FOR UPDATE TO {CHANGE} USING (Fstatus = 0) WITH CHECK (Fstatus = 0);
DROP POLICY IF EXISTS rpt_delete ON SHProcRpt;
CREATE POLICY rpt_delete ON SHProcRpt FOR DELETE TO {DELETE} USING (Fstatus = 0);
GRANT INSERT ON SHProcRpt TO {NEW};
GRANT UPDATE (Fdate, FworkerID, FdeviceID, FteamID, FstartWorkDate, FendWorkDate, Fmemo, FAuxQtyReceive,
  FAuxQtyFinish, FAuxQtyPass, FAuxQtyLost, FAuxQtyBack, FAuxQtyBackPass, FAuxQtyScrap, FAuxQtyForItem,
  FAuxQtyHandOver, FfinishTime, FreadyTime, FpowercutTime, FfixTime, FwaitItemTime, FwaitToolTime, FtotalFee)
  ON SHProcRpt TO {CHANGE};
GRANT DELETE ON SHProcRpt TO {DELETE};

-- Work bills: quantities move only with an audit (sp_post_report); a clerk's workbench
-- closes a work bill whose passed quantity reached the plan and that has no draft.
ALTER TABLE SHWorkBillEntry ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS wbe_read ON SHWorkBillEntry;
CREATE POLICY wbe_read ON SHWorkBillEntry FOR SELECT TO {USERS} USING (true);
DROP POLICY IF EXISTS wbe_close ON SHWorkBillEntry;
CREATE POLICY wbe_close ON SHWorkBillEntry FOR UPDATE TO {USERS}
  USING (FStatus IN (1, 2) AND FauxQtyPass >= FAuxQtyPlan
         AND NOT EXISTS (SELECT 1 FROM SHProcRpt r WHERE r.FWBInterID = SHWorkBillEntry.FWBInterID AND r.Fstatus = 0))
  WITH CHECK (FStatus = 3);
GRANT UPDATE (FStatus) ON SHWorkBillEntry TO {USERS};

-- Column layouts: everyone's are readable, each user writes their own.
ALTER TABLE SHRptDef ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS layout_read ON SHRptDef;
CREATE POLICY layout_read ON SHRptDef FOR SELECT TO {USERS} USING (true);
DROP POLICY IF EXISTS layout_own ON SHRptDef;
CREATE POLICY layout_own ON SHRptDef FOR ALL TO {USERS}
  USING (FuserID = sp_user_id()) WITH CHECK (FuserID = sp_user_id());
GRANT INSERT, UPDATE, DELETE ON SHRptDef TO {USERS};

-- Saved filter plans are the shop's, shared by every user.
GRANT INSERT, UPDATE, DELETE ON t_FilterPlan TO {USERS};

-- The usage log: each user writes lines under their own name; administrators read it.
ALTER TABLE t_UsageLog ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS log_own ON t_UsageLog;
CREATE POLICY log_own ON t_UsageLog FOR INSERT TO {USERS} WITH CHECK (FUserID = sp_user_id());
DROP POLICY IF EXISTS log_admin ON t_UsageLog;
CREATE POLICY log_admin ON t_UsageLog FOR ALL TO {ADMINS} USING (true) WITH CHECK (true);
GRANT INSERT ON t_UsageLog TO {USERS};
GRANT SELECT ON t_UsageLog TO {ADMINS};

-- Held work bills: a workstation writes the rows of its own locks, under its own name and
-- server process, and takes over a row only when its holder no longer holds the lock;
-- administrators remove rows when they release a task.
ALTER TABLE t_FuncTask ENABLE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS task_read ON t_FuncTask;
CREATE POLICY task_read ON t_FuncTask FOR SELECT TO {USERS} USING (true);
DROP POLICY IF EXISTS task_take ON t_FuncTask;
CREATE POLICY task_take ON t_FuncTask FOR INSERT TO {USERS}
  WITH CHECK (FUserID = sp_user_id() AND FBackendPID = pg_backend_pid());
DROP POLICY IF EXISTS task_renew ON t_FuncTask;
CREATE POLICY task_renew ON t_FuncTask FOR UPDATE TO {USERS}
  USING (FUserID = sp_user_id() OR NOT sp_task_held(FBackendPID, FSubSys, FFunction, FKey))
  WITH CHECK (FUserID = sp_user_id() AND FBackendPID = pg_backend_pid());
DROP POLICY IF EXISTS task_drop ON t_FuncTask;
CREATE POLICY task_drop ON t_FuncTask FOR DELETE TO {USERS} USING (FUserID = sp_user_id());
DROP POLICY IF EXISTS task_release ON t_FuncTask;
CREATE POLICY task_release ON t_FuncTask FOR DELETE TO {ADMINS} USING (true);
GRANT INSERT, UPDATE, DELETE ON t_FuncTask TO {USERS};
GRANT INSERT ON t_FuncTaskRelease TO {ADMINS};

-- Users, their rights and the system's switches are the administrators'; the triggers above
-- make the roles follow the first two.
GRANT INSERT, UPDATE, DELETE ON t_User, t_UserRight, t_SystemProfile TO {ADMINS};
