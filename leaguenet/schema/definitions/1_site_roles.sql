-- What the organiser does to the sites' roles, through these functions alone, which nobody
-- else may call.

-- The settings of every site's role, as pg_db_role_setting keeps them: a site whose role holds
-- others gave them to itself.
CREATE OR REPLACE FUNCTION league.site_role_settings() RETURNS text[]
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $f$
  SELECT ARRAY['statement_timeout=30s', 'idle_in_transaction_session_timeout=10s']
         || CASE WHEN current_setting('server_version_num')::int >= 140000
                 THEN ARRAY['idle_session_timeout=60s'] ELSE '{}' END
$f$;

-- What every site's role is limited to, so that no site can slow or flood another: add-site
-- gives it to a new role, and each upgrade to every role, as this version has it.
CREATE OR REPLACE FUNCTION league.limit_site_role(p_role name) RETURNS void
  LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_setting text;
BEGIN
  EXECUTE format('ALTER ROLE %I CONNECTION LIMIT @SITE_CONNECTIONS@', p_role);
  FOREACH v_setting IN ARRAY league.site_role_settings() LOOP
    EXECUTE format('ALTER ROLE %I SET %s = %L', p_role, split_part(v_setting, '=', 1),
                   split_part(v_setting, '=', 2));
  END LOOP;
END $f$;

-- PostgreSQL lets only a member of a role end its sessions and drop what it owns: the
-- organiser becomes one for as long as it takes, and no longer.
CREATE OR REPLACE FUNCTION league.as_member_of(p_role name, p_statements text[]) RETURNS void
  LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_member boolean := pg_has_role(p_role, 'USAGE');
  v_statement text;
BEGIN
  IF NOT v_member THEN
    EXECUTE format('GRANT %I TO %I', p_role, current_user);
  END IF;
  FOREACH v_statement IN ARRAY p_statements LOOP
    EXECUTE v_statement;
  END LOOP;
  IF NOT v_member THEN
    EXECUTE format('REVOKE %I FROM %I', p_role, current_user);
  END IF;
END $f$;

-- Ends every session of the role, waiting up to 5 s for each to go; the sessions that are
-- left, none when all went.
CREATE OR REPLACE FUNCTION league.end_sessions_of(p_role name) RETURNS bigint
  LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $f$
BEGIN
  PERFORM league.as_member_of(p_role, ARRAY[format(
    'SELECT pg_terminate_backend(a.pid, 5000) FROM pg_stat_activity a WHERE a.usename = %L',
    p_role)]);
  -- The activity seen so far in this transaction is a snapshot: look again.
  PERFORM pg_stat_clear_snapshot();
  RETURN (SELECT count(*) FROM pg_stat_activity a WHERE a.usename = p_role);
END $f$;

-- Drops whatever the role owns in this database: large objects, default privileges, anything
-- it could make.
CREATE OR REPLACE FUNCTION league.drop_owned_by(p_role name) RETURNS void
  LANGUAGE sql SET search_path = pg_catalog, pg_temp AS $f$
  SELECT league.as_member_of(p_role, ARRAY[format('DROP OWNED BY %I', p_role)])
$f$;

-- Drops whatever the role owns in this database, and gives it the league's settings again in
-- place of its own.
CREATE OR REPLACE FUNCTION league.reset_site_role(p_role name) RETURNS void
  LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_database text;
BEGIN
  PERFORM league.drop_owned_by(p_role);
  EXECUTE format('ALTER ROLE %I RESET ALL', p_role);
  FOR v_database IN
    SELECT d.datname FROM pg_db_role_setting r JOIN pg_database d ON d.oid = r.setdatabase
    WHERE r.setrole = (SELECT oid FROM pg_roles WHERE rolname = p_role)
  LOOP
    EXECUTE format('ALTER ROLE %I IN DATABASE %I RESET ALL', p_role, v_database);
  END LOOP;
  PERFORM league.limit_site_role(p_role);
END $f$;

-- What the organiser sees of each site's role: whether it may log in (NULL when the role is
-- gone), its connection limit, its settings unless they are the league's, and what it owns,
-- by database and kind of object.
CREATE OR REPLACE FUNCTION league.site_roles(OUT site text, OUT role name, OUT suspended boolean,
    OUT can_login boolean, OUT connection_limit integer, OUT own_settings text, OUT owns text)
  RETURNS SETOF record
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $f$
  SELECT s.name, s.role_name, s.suspended, r.rolcanlogin, r.rolconnlimit,
    nullif(concat_ws('; ',
      CASE WHEN (SELECT array_agg(x ORDER BY x) FROM pg_db_role_setting c, unnest(c.setconfig) x
                 WHERE c.setrole = r.oid AND c.setdatabase = 0)
                IS DISTINCT FROM (SELECT array_agg(x ORDER BY x)
                                  FROM unnest(league.site_role_settings()) x)
           THEN coalesce((SELECT array_to_string(c.setconfig, ', ') FROM pg_db_role_setting c
                          WHERE c.setrole = r.oid AND c.setdatabase = 0), 'none') END,
      (SELECT string_agg(d.datname || ': ' || array_to_string(c.setconfig, ', '), '; ')
       FROM pg_db_role_setting c JOIN pg_database d ON d.oid = c.setdatabase
       WHERE c.setrole = r.oid)), ''),
    (SELECT string_agg(format('%s %s in %s', n, kind, coalesce(db, 'the cluster')), ', ')
     FROM (SELECT d.datname AS db, c.classid::regclass::text AS kind, count(*) AS n
           FROM pg_shdepend c LEFT JOIN pg_database d ON d.oid = c.dbid
           WHERE c.refclassid = 'pg_authid'::regclass AND c.refobjid = r.oid
             AND c.deptype = 'o'
           GROUP BY 1, 2 ORDER BY 1, 2) AS owned)
  FROM league.sites s LEFT JOIN pg_roles r ON r.rolname = s.role_name
  WHERE s.role_name IS NOT NULL
  ORDER BY s.name
$f$;
