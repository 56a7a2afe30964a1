#include "store/pg/PgRegisterSchema.h"

#include "store/pg/PgConnection.h"
#include "store/pg/PgRecordSet.h"
#include "store/pg/PgSchema.h"

namespace PgRegisterSchema {

namespace {

// Every register table, and what each role may do with it: read, nothing more.
const char* const kTables = "register_counter, register_template, register_entry, register_value,"
                            " register_version, register_event, register_deletion,"
                            " register_chain_head";

const char* const kClerkFunctions =
    "register_reserve(text), register_reserve_entry(text, text, text, text, text, text, text,"
    " date), register_record(bigint, text, text, text[], text[], text, text,"
    " text, text, date, text), register_record_linked(bigint, text, text, text[], text[], text,"
    " text, text, text, date, text), register_flush(), register_event(bigint, text, text, text),"
    " register_duty(bigint, text, text, date), register_seal(), register_seal_recent()";
const char* const kAdminFunctions = "register_delete_expired(date, bigint)";
// Called only from inside the functions above: nobody runs them on their own.
const char* const kInnerFunctions =
    "register_chain_add(integer, bigint, bigint, text), register_link_unlinked(bigint, bigint),"
    " register_template_id(text, text)";

// Times as the chain writes them, the chain's link, and the fields of each kind of row: the
// same as register/RegisterChain.h.
const char* const kChainHelpers[] = {
    // Stable, as to_char is: so the planner puts its body in place of every call.
    R"sql(create function register_time(t timestamptz) returns text
language sql stable as $$
    select to_char(t at time zone 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS.MS"Z"')
$$)sql",
    // The chain's helpers are PL/pgSQL rather than SQL: the linking calls them once per row,
    // and PL/pgSQL keeps their plans for the session where an SQL function with a subquery is
    // planned again at every call.
    R"sql(create function register_link(previous text, fields text[]) returns text
language plpgsql immutable as $$
declare
    encoded bytea := decode(previous, 'hex');
    f text;
    b bytea;
begin
    if fields is not null then
        foreach f in array fields loop
            continue when f is null;
            b := convert_to(f, 'UTF8');
            encoded := encoded || int4send(octet_length(b)) || b;
        end loop;
    end if;
    return encode(sha256(encoded), 'hex');
end $$)sql",
    R"sql(create function register_version_fields(p_id bigint, p_pos bigint) returns text[]
language plpgsql stable as $$
declare
    r record;
    fields text[];
begin
    select e.id as entry_id, e.number, v.version_no, v.created_at, v.operator_name, v.sha256,
           e.created_at as entry_at, e.operator_name as entry_operator, t.name, t.text
        into r
    from register_version v
    join register_entry e on e.id = v.entry_id
    left join register_template t on t.id = e.template_id
    where v.id = p_id;
    if not found then
        return null;
    end if;
    fields := array['version', p_pos::text, r.number, r.version_no::text,
                    register_time(r.created_at), r.operator_name, r.sha256];
    if r.version_no = 1 then
        fields := fields
            || array[register_time(r.entry_at), r.entry_operator, coalesce(r.name, ''),
                     coalesce(r.text, '')]
            || coalesce((select array_agg(x.f order by x.position, x.k)
                         from (select position, 0 as k, key as f from register_value
                               where entry_id = r.entry_id
                               union all
                               select position, 1, value from register_value
                               where entry_id = r.entry_id) x), '{}'::text[]);
    end if;
    return fields;
end $$)sql",
    R"sql(create function register_event_fields(p_id bigint, p_pos bigint) returns text[]
language plpgsql stable as $$
declare
    r record;
begin
    select e.number, v.version_no, ev.kind, ev.at, ev.operator_name, ev.sha256, ev.detail
        into r
    from register_event ev
    join register_entry e on e.id = ev.entry_id
    join register_version v on v.id = ev.version_id
    where ev.id = p_id;
    if not found then
        return null;
    end if;
    return array['event', p_pos::text, r.number, r.version_no::text, r.kind,
                 register_time(r.at), r.operator_name, r.sha256, r.detail];
end $$)sql",
    R"sql(create function register_deletion_fields(p_id bigint, p_pos bigint) returns text[]
language sql stable as $$
    select array['deletion', p_pos::text, register_time(d.at), d.operator_name, d.reason,
                 cardinality(string_to_array(d.numbers, ' '))::text]
        || string_to_array(d.numbers, ' ') || string_to_array(d.removed, ' ')
    from register_deletion d
    where d.id = p_id
$$)sql",
    // The id of the template with this name and text, added when there is none.
    R"sql(create function register_template_id(p_name text, p_text text) returns bigint
language plpgsql as $$
declare
    tid bigint;
begin
    select id into tid from register_template where name = p_name and text = p_text
        order by id limit 1;
    if tid is null then
        insert into register_template (name, text) values (p_name, p_text) returning id into tid;
    end if;
    return tid;
end $$)sql",
    // Links one row (0: a version, 1: an event, 2: a deletion) at position p_pos after the link
    // p_previous, and returns its link. The callers hold the chain's head.
    R"sql(create function register_chain_add(p_kind integer, p_id bigint, p_pos bigint,
                                   p_previous text) returns text
language plpgsql as $$
declare
    added text;
begin
    if p_kind = 0 then
        added := register_link(p_previous, register_version_fields(p_id, p_pos));
        update register_version set chain_pos = p_pos, link = added where id = p_id;
    elsif p_kind = 1 then
        added := register_link(p_previous, register_event_fields(p_id, p_pos));
        update register_event set chain_pos = p_pos, link = added where id = p_id;
    else
        added := register_link(p_previous, register_deletion_fields(p_id, p_pos));
        update register_deletion set chain_pos = p_pos, link = added where id = p_id;
    end if;
    return added;
end $$)sql",
    // Links the rows not linked yet, oldest first: the versions and events with ids above the
    // given ones, and every deletion record. Holds the chain's head while it does. Returns how
    // many rows it linked.
    R"sql(create function register_link_unlinked(p_version_after bigint, p_event_after bigint)
returns bigint
language plpgsql as $$
declare
    head_pos bigint;
    head_link text;
    r record;
    n bigint := 0;
begin
    select pos, link into head_pos, head_link from register_chain_head where id = 1 for update;
    for r in
        select 0 as k, id, created_at as t from register_version
            where chain_pos is null and id > p_version_after
        union all select 1, id, at from register_event
            where chain_pos is null and id > p_event_after
        union all select 2, id, at from register_deletion where chain_pos is null
        order by 3, 1, 2
    loop
        head_pos := head_pos + 1;
        head_link := register_chain_add(r.k, r.id, head_pos, head_link);
        n := n + 1;
    end loop;
    if n > 0 then
        update register_chain_head set pos = head_pos, link = head_link where id = 1;
    end if;
    return n;
end $$)sql",
};

// The triggers' rules.
const char* const kTriggers[] = {
    // Versions, events and deletion records: written once; only the link is filled in, once.
    // The row as it was, with the new link, must be the new row.
    R"sql(create function register_written_once() returns trigger
language plpgsql as $$
declare
    probe record;
begin
    if tg_op = 'UPDATE' then
        if old.chain_pos is null and new.chain_pos is not null and new.link is not null then
            probe := new;
            probe.chain_pos := old.chain_pos;
            probe.link := old.link;
            if probe is not distinct from old then
                return new;
            end if;
        end if;
    end if;
    raise exception '登记簿的 % 一经记录便不能修改或删除。', tg_table_name
        using errcode = 'insufficient_privilege';
end $$)sql",
    // Values, versions and events go only with their entry (which goes only after two years).
    R"sql(create function register_goes_with_entry() returns trigger
language plpgsql as $$ begin
    if exists (select from register_entry where id = old.entry_id) then
        raise exception '登记簿的 % 只能随其条目一起删除。', tg_table_name
            using errcode = 'insufficient_privilege';
    end if;
    return old;
end $$)sql",
    R"sql(create function register_unchangeable() returns trigger
language plpgsql as $$ begin
    raise exception '登记簿的 % 不能修改或删除。', tg_table_name
        using errcode = 'insufficient_privilege';
end $$)sql",
    // An entry: its number, time and operator never change; a reserved draft gets its template
    // and list columns once, before its text; the last event shown is the entry's latest.
    R"sql(create function register_entry_changes() returns trigger
language plpgsql as $$
declare
    latest record;
begin
    if (new.id, new.number, new.year, new.seq, new.created_at, new.operator_name)
       is distinct from (old.id, old.number, old.year, old.seq, old.created_at, old.operator_name)
    then
        raise exception '登记簿条目 % 的编号、时间和操作员不能修改。', old.number
            using errcode = 'insufficient_privilege';
    end if;
    if (new.template_id, new.name, new.id_number, new.company, new.leave_date, new.leave_day)
       is distinct from
       (old.template_id, old.name, old.id_number, old.company, old.leave_date, old.leave_day)
       and (old.template_id is not null
            or exists (select from register_version where entry_id = old.id)) then
        raise exception '登记簿条目 % 已登记，内容不能修改。', old.number
            using errcode = 'insufficient_privilege';
    end if;
    if (new.last_event_kind, new.last_event_at)
       is distinct from (old.last_event_kind, old.last_event_at) then
        select kind, at into latest from register_event where entry_id = old.id
            and kind not in ('delivered', 'transferred')
        order by at desc, id desc limit 1;
        if not found or new.last_event_kind is distinct from latest.kind
           or new.last_event_at is distinct from latest.at then
            raise exception '登记簿条目 % 的最近出具只能是它最近的出具记录。', old.number
                using errcode = 'insufficient_privilege';
        end if;
    end if;
    return new;
end $$)sql",
    // The counter moves up by one, or over numbers that are all entries or recorded deletions
    // (a register copied up from a desk); never down, never away.
    R"sql(create function register_counter_moves() returns trigger
language plpgsql as $$
declare
    from_seq integer := case when tg_op = 'UPDATE' then old.last_seq else 0 end;
begin
    if tg_op = 'DELETE' then
        raise exception '登记簿的计数器不能删除。' using errcode = 'insufficient_privilege';
    end if;
    if tg_op = 'UPDATE' and new.year <> old.year then
        raise exception '登记簿的计数器不能改年份。' using errcode = 'insufficient_privilege';
    end if;
    if new.last_seq = from_seq + 1 then
        return new;
    end if;
    if new.last_seq > from_seq and not exists (
        select from generate_series(from_seq + 1, new.last_seq) s
        where not exists (select from register_entry where year = new.year and seq = s)
          and not exists (select from register_deletion d,
                                      unnest(string_to_array(d.numbers, ' ')) n
                          where n ~ ('^[A-Z]{1,8}' || new.year || '-0*' || s || '$'))) then
        return new;
    end if;
    raise exception '登记簿 % 年的计数器只能逐一增加，不能从 % 改为 %。', new.year, from_seq,
        new.last_seq using errcode = 'insufficient_privilege';
end $$)sql",
    "create trigger register_entry_changes before update on register_entry for each row"
    " execute function register_entry_changes()",
    "create trigger register_counter_moves before insert or update or delete on register_counter"
    " for each row execute function register_counter_moves()",
    "create trigger register_version_written_once before update on register_version for each row"
    " execute function register_written_once()",
    "create trigger register_event_written_once before update on register_event for each row"
    " execute function register_written_once()",
    "create trigger register_deletion_written_once before update or delete on register_deletion"
    " for each row execute function register_written_once()",
    "create trigger register_value_unchangeable before update on register_value for each row"
    " execute function register_unchangeable()",
    "create trigger register_template_unchangeable before update or delete on register_template"
    " for each row execute function register_unchangeable()",
    "create trigger register_chain_head_kept before delete on register_chain_head for each row"
    " execute function register_unchangeable()",
    "create trigger register_value_goes_with_entry before delete on register_value for each row"
    " execute function register_goes_with_entry()",
    "create trigger register_version_goes_with_entry before delete on register_version for each"
    " row execute function register_goes_with_entry()",
    "create trigger register_event_goes_with_entry before delete on register_event for each row"
    " execute function register_goes_with_entry()",
};

// The functions the clerks and the administrator write through. %1: their search path.
const char* const kFunctions[] = {
    // The next number of the year, as a draft entry that already holds the certificate's
    // template and list columns when they are given (then register_record_linked() writes the
    // entry no second time). The counter's row is locked only for the number and the insert.
    R"sql(create function register_reserve_entry(p_prefix text, p_template_name text,
    p_template_text text, p_name text, p_id_number text, p_company text, p_leave_date text,
    p_leave_day date)
returns table (reserved_id bigint, reserved_number text)
language plpgsql security definer set search_path = %1 as $$
declare
    y integer := extract(year from now())::integer;
    s integer;
    tid bigint;
begin
    if p_prefix is null or p_prefix !~ '^[A-Z]{1,8}$' then
        raise exception '证明编号的前缀“%”应为 1 至 8 个大写字母。', p_prefix
            using errcode = 'invalid_parameter_value';
    end if;
    if p_template_name is not null then
        tid := register_template_id(p_template_name, p_template_text);
    end if;
    -- The year's row is there but for the first number of a year: a plain update then, not an
    -- insert that first has to find its conflict.
    update register_counter set last_seq = last_seq + 1 where year = y returning last_seq into s;
    if not found then
        insert into register_counter as c (year, last_seq) values (y, 1)
            on conflict (year) do update set last_seq = c.last_seq + 1
            returning c.last_seq into s;
    end if;
    return query
        insert into register_entry as e (number, year, seq, created_at, operator_name,
                                         template_id, name, id_number, company, leave_date,
                                         leave_day)
        values (p_prefix || y::text || '-'
                    || case when s < 1000000 then lpad(s::text, 6, '0') else s::text end,
                y, s, date_trunc('milliseconds', now()), session_user, tid,
                coalesce(p_name, ''), coalesce(p_id_number, ''), coalesce(p_company, ''),
                coalesce(p_leave_date, ''), p_leave_day)
        returning e.id, e.number;
end $$)sql",
    // A bare draft: its template and list columns come with its text.
    R"sql(create function register_reserve(p_prefix text)
returns table (reserved_id bigint, reserved_number text)
language plpgsql security definer set search_path = %1 as $$
begin
    return query
        select * from register_reserve_entry(p_prefix, null, null, null, null, null, null, null);
end $$)sql",
    // A draft's template, form values and first version, the version linked into the chain as
    // it is written: the chain's head is held from the link to the commit. A clerk commits this
    // without waiting for the disk, so that the head is let go at once, and then waits in
    // register_flush().
    R"sql(create function register_record_linked(p_entry bigint, p_template_name text,
    p_template_text text, p_keys text[], p_values text[], p_name text, p_id_number text,
    p_company text, p_leave_date text, p_leave_day date, p_text text)
returns void
language plpgsql security definer set search_path = %1 as $$
declare
    e register_entry;
    t timestamptz := date_trunc('milliseconds', now());
    sha text := encode(sha256(convert_to(p_text, 'UTF8')), 'hex');
    norm_sha text := encode(sha256(convert_to(regexp_replace(p_text, E'\r\n?', E'\n', 'g'),
                                               'UTF8')), 'hex');
    head_pos bigint;
    head_link text;
    value_fields text[] := '{}';
    template_name text;
    template_text text;
begin
    select * into e from register_entry where id = p_entry for update;
    if not found then
        raise exception '登记簿中没有条目 %。', p_entry using errcode = 'no_data_found';
    end if;
    if e.operator_name <> session_user then
        raise exception '条目 % 是 % 预留的，不能由 % 登记。', e.number, e.operator_name,
            session_user using errcode = 'insufficient_privilege';
    end if;
    if exists (select from register_version where entry_id = p_entry) then
        raise exception '条目 % 已经登记过文本。', e.number using errcode = 'unique_violation';
    end if;
    if coalesce(cardinality(p_keys), 0) <> coalesce(cardinality(p_values), 0) then
        raise exception '表单值的名称和内容数目不一致。' using errcode = 'invalid_parameter_value';
    end if;
    if e.template_id is null then
        -- A bare draft (register_reserve): its template and list columns now, once.
        update register_entry set template_id = register_template_id(p_template_name,
                                                                     p_template_text),
            name = coalesce(p_name, ''),
            id_number = coalesce(p_id_number, ''), company = coalesce(p_company, ''),
            leave_date = coalesce(p_leave_date, ''), leave_day = p_leave_day
        where id = p_entry;
        template_name := p_template_name;
        template_text := p_template_text;
    else
        -- A draft that holds them since its reservation: the link takes them as held.
        select name, text into template_name, template_text from register_template
            where id = e.template_id;
    end if;
    insert into register_value (entry_id, position, key, value)
        select p_entry, x.ord - 1, x.k, x.v
        from unnest(p_keys, p_values) with ordinality as x(k, v, ord);
    -- The fields register_version_fields() reads back for a first version, from what is at hand;
    -- the head is held from its update on, so everything else is done before.
    for i in 1 .. coalesce(cardinality(p_keys), 0) loop
        value_fields := value_fields || array[p_keys[i], p_values[i]];
    end loop;
    update register_chain_head
        set pos = pos + 1,
            link = register_link(link, array['version', (pos + 1)::text, e.number, '1',
                                             register_time(t), session_user::text, sha,
                                             register_time(e.created_at), e.operator_name,
                                             template_name, template_text] || value_fields)
        where id = 1
        returning pos, link into head_pos, head_link;
    insert into register_version (entry_id, version_no, text, sha256, norm_sha256, created_at,
                                  operator_name, chain_pos, link)
    values (p_entry, 1, p_text, sha, norm_sha, t, session_user, head_pos, head_link);
    -- A row whose clerk lost its link on the way is swept in once in every 128 positions.
    if head_pos % 128 = 0 then
        perform register_link_unlinked(0, 0);
    end if;
end $$)sql",
    // The same for a kavri of an earlier release, which commits it waiting for the disk and
    // calls register_seal_recent() after it (which then finds the version linked).
    R"sql(create function register_record(p_entry bigint, p_template_name text,
    p_template_text text, p_keys text[], p_values text[], p_name text, p_id_number text,
    p_company text, p_leave_date text, p_leave_day date, p_text text)
returns void
language plpgsql security definer set search_path = %1 as $$
begin
    perform register_record_linked(p_entry, p_template_name, p_template_text, p_keys, p_values,
        p_name, p_id_number, p_company, p_leave_date, p_leave_day, p_text);
end $$)sql",
    // Returns once what this session committed before is on the disk: its message in the
    // write-ahead log makes this transaction's commit wait for the disk (as the server's
    // synchronous_commit says), and the log is written in order.
    R"sql(create function register_flush() returns void
language plpgsql security definer set search_path = %1 as $$
begin
    perform pg_logical_emit_message(true, 'kavri', 'register');
end $$)sql",
    R"sql(create function register_event(p_entry bigint, p_kind text, p_text text,
                               p_detail text)
returns integer
language plpgsql security definer set search_path = %1 as $$
declare
    sha text := encode(sha256(convert_to(p_text, 'UTF8')), 'hex');
    t timestamptz := date_trunc('milliseconds', now());
    vid bigint;
    vno integer;
begin
    if p_kind is null or p_kind !~ '^[a-z][a-z0-9_]{0,31}$' then
        raise exception '出具方式“%”无效。', p_kind using errcode = 'invalid_parameter_value';
    end if;
    perform from register_entry where id = p_entry for update;
    if not found then
        raise exception 'no register entry %', p_entry using errcode = 'no_data_found';
    end if;
    if not exists (select from register_version where entry_id = p_entry) then
        raise exception '条目还没有登记文本。' using errcode = 'no_data_found';
    end if;
    select id, version_no into vid, vno from register_version
        where entry_id = p_entry and sha256 = sha;
    if vid is null then
        insert into register_version (entry_id, version_no, text, sha256, norm_sha256,
                                      created_at, operator_name)
        select p_entry, max(version_no) + 1, p_text, sha,
               encode(sha256(convert_to(regexp_replace(p_text, E'\r\n?', E'\n', 'g'), 'UTF8')),
                      'hex'),
               t, session_user
        from register_version where entry_id = p_entry
        returning id, version_no into vid, vno;
    end if;
    insert into register_event (entry_id, version_id, kind, at, sha256, detail, operator_name)
        values (p_entry, vid, p_kind, t, sha, coalesce(p_detail, ''), session_user);
    update register_entry set last_event_kind = p_kind, last_event_at = t where id = p_entry;
    return vno;
end $$)sql",
    // A duty done for the leaver (a delivery, a transfer): an event with its detail on the
    // entry's newest version, and the entry's columns of that duty. Its last leaving stays.
    R"sql(create function register_duty(p_entry bigint, p_kind text, p_detail text, p_day date)
returns integer
language plpgsql security definer set search_path = %1 as $$
declare
    t timestamptz := date_trunc('milliseconds', now());
    vid bigint;
    vno integer;
    vsha text;
begin
    if p_kind is null or p_kind not in ('delivered', 'transferred') then
        raise exception '“%”不是送达或转移的记录。', p_kind using errcode = 'invalid_parameter_value';
    end if;
    perform from register_entry where id = p_entry for update;
    if not found then
        raise exception 'no register entry %', p_entry using errcode = 'no_data_found';
    end if;
    select id, version_no, sha256 into vid, vno, vsha from register_version
        where entry_id = p_entry order by version_no desc limit 1;
    if vid is null then
        raise exception '条目还没有登记文本。' using errcode = 'no_data_found';
    end if;
    insert into register_event (entry_id, version_id, kind, at, sha256, operator_name, detail)
        values (p_entry, vid, p_kind, t, vsha, session_user, coalesce(p_detail, ''));
    if p_kind = 'delivered' then
        update register_entry set delivery = coalesce(p_detail, ''), received_day = p_day
            where id = p_entry;
    else
        update register_entry set transfer_day = p_day where id = p_entry;
    end if;
    return vno;
end $$)sql",
    R"sql(create function register_seal() returns bigint
language plpgsql security definer set search_path = %1 as $$
begin
    return register_link_unlinked(0, 0);
end $$)sql",
    // What a clerk runs after each write: the rows not linked yet among the newest of each
    // table. register_seal() finds every unlinked row, and walks, until the tables are
    // vacuumed, past every row linked since; this looks at the newest ids only (a clerk links
    // right after the commit, so the rows it wrote are among them), and sweeps the whole
    // register once in every 128 rows it links, for a row whose link was lost with its clerk.
    R"sql(create function register_seal_recent() returns bigint
language plpgsql security definer set search_path = %1 as $$
declare
    n bigint;
    head_pos bigint;
begin
    n := register_link_unlinked((select max(id) - 256 from register_version),
                                (select max(id) - 256 from register_event));
    select pos into head_pos from register_chain_head where id = 1;
    if head_pos / 128 > (head_pos - n) / 128 then
        n := n + register_link_unlinked(0, 0);
    end if;
    return n;
end $$)sql",
    R"sql(create function register_delete_expired(p_cutoff date, p_expected bigint)
returns bigint
language plpgsql security definer set search_path = %1 as $$
declare
    ids bigint[];
    numbers text[];
    removed text[];
    n bigint;
begin
    if not pg_has_role(session_user, 'kavri_admin', 'member') then
        raise exception '只有登记簿管理员（kavri_admin 角色）可以删除登记簿条目。'
            using errcode = 'insufficient_privilege';
    end if;
    if p_cutoff > current_date - interval '2 years' then
        raise exception '只能删除离职、登记和出具都在两年以前的条目。'
            using errcode = 'insufficient_privilege';
    end if;
    select array_agg(e.id order by e.year, e.seq), array_agg(e.number order by e.year, e.seq)
        into ids, numbers
    from register_entry e
    where e.leave_day is not null and e.leave_day < p_cutoff
      and e.created_at < (p_cutoff::timestamp at time zone 'UTC')
      and coalesce(e.last_event_at, '-infinity') < (p_cutoff::timestamp at time zone 'UTC');
    n := coalesce(cardinality(ids), 0);
    if n <> p_expected then
        raise exception 'expected % expired entries, found %', p_expected, n;
    end if;
    if n = 0 then
        return 0;
    end if;
    select array_agg(x order by pos, part) into removed from (
        select chain_pos as pos, 0 as part, chain_pos::text as x from register_version
            where entry_id = any(ids) and chain_pos is not null
        union all select chain_pos, 1, link from register_version
            where entry_id = any(ids) and chain_pos is not null
        union all select chain_pos, 0, chain_pos::text from register_event
            where entry_id = any(ids) and chain_pos is not null
        union all select chain_pos, 1, link from register_event
            where entry_id = any(ids) and chain_pos is not null) z;
    delete from register_entry where id = any(ids);
    insert into register_deletion (at, operator_name, reason, numbers, removed)
    values (date_trunc('milliseconds', now()), session_user, 'retention',
            array_to_string(numbers, ' '), coalesce(array_to_string(removed, ' '), ''));
    return n;
end $$)sql",
};

// Who may run which function: a clerk the clerks' functions, the administrator the deletion,
// and nobody else any of them.
QStringList functionGrants()
{
    const QString clerkFunctions = QLatin1String(kClerkFunctions);
    const QString adminFunctions = QLatin1String(kAdminFunctions);
    return {QStringLiteral("revoke all on function %1, %2, %3 from public")
                .arg(clerkFunctions, adminFunctions, QLatin1String(kInnerFunctions)),
            QStringLiteral("grant execute on function %1 to %2")
                .arg(clerkFunctions, PgSchema::kClerkRole),
            QStringLiteral("grant execute on function %1 to %2")
                .arg(adminFunctions, PgSchema::kAdminRole)};
}

QString quoted(const QString& identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

} // namespace

QStringList securityStatements(const QString& schema)
{
    QStringList s;
    // The duties' columns, for a database made before they were (already there in a new one).
    s << QStringLiteral("alter table register_event add column if not exists detail text not null"
                        " default ''")
      << QStringLiteral("alter table register_entry add column if not exists delivery text,"
                        " add column if not exists received_day date,"
                        " add column if not exists transfer_day date");
    // The operator of a version and an event, the chain's position and link of each row.
    s << QStringLiteral("alter table register_version add column operator_name text not null"
                        " default '', add column chain_pos bigint unique, add column link text")
      << QStringLiteral("alter table register_version alter column operator_name set default"
                        " session_user")
      << QStringLiteral("alter table register_event add column operator_name text not null"
                        " default '', add column chain_pos bigint unique, add column link text")
      << QStringLiteral("alter table register_event alter column operator_name set default"
                        " session_user")
      << QStringLiteral("create table register_deletion (\n"
                        "    id bigint generated always as identity primary key,\n"
                        "    chain_pos bigint unique,\n"
                        "    link text,\n"
                        "    at timestamptz not null,\n"
                        "    operator_name text not null,\n"
                        "    reason text not null,\n"
                        "    numbers text not null,\n"
                        "    removed text not null default ''\n)")
      << QStringLiteral("create table register_chain_head (\n"
                        "    id integer primary key check (id = 1),\n"
                        "    pos bigint not null,\n"
                        "    link text not null\n)")
      << QStringLiteral("insert into register_chain_head values (1, 0, repeat('0', 64))")
      << QStringLiteral("create index register_version_unlinked on register_version (id)"
                        " where chain_pos is null")
      << QStringLiteral("create index register_event_unlinked on register_event (id)"
                        " where chain_pos is null")
      << QStringLiteral("create index register_deletion_unlinked on register_deletion (id)"
                        " where chain_pos is null")
      << QStringLiteral("create index register_event_version on register_event (version_id)");
    for (const char* helper : kChainHelpers) {
        s << QString::fromUtf8(helper);
    }
    for (const char* trigger : kTriggers) {
        s << QString::fromUtf8(trigger);
    }
    const QString path = quoted(schema) + QStringLiteral(", pg_temp");
    for (const char* function : kFunctions) {
        s << QString::fromUtf8(function).arg(path);
    }
    // Reading for everyone of the team, writing through the functions only. A function may be
    // run by anybody unless that is taken back.
    const QString clerk = PgSchema::kClerkRole;
    const QString admin = PgSchema::kAdminRole;
    const QString tables = QLatin1String(kTables);
    s << QStringLiteral("revoke all on %1 from public, %2, %3").arg(tables, clerk, admin)
      << QStringLiteral("grant select on %1 to %2").arg(tables, clerk) << functionGrants();
    return s;
}

// The register's functions as this release writes them, each `create or replace`: the same
// names, arguments and rules as an earlier release's, bodies that may be faster. The triggers
// that call them stay as they are.
static QStringList functionStatements(const QString& schema)
{
    const auto replacing = [](const char* text) {
        QString statement = QString::fromUtf8(text);
        statement.replace(QLatin1String("create function"), QLatin1String("create or replace function"));
        return statement;
    };
    QStringList s;
    for (const char* helper : kChainHelpers) {
        s << replacing(helper);
    }
    for (const char* trigger : kTriggers) {
        if (QString::fromUtf8(trigger).startsWith(QLatin1String("create function"))) {
            s << replacing(trigger);
        }
    }
    const QString path = quoted(schema) + QStringLiteral(", pg_temp");
    for (const char* function : kFunctions) {
        s << replacing(function).arg(path);
    }
    // `create or replace` keeps a function's grants, and a function new in this release gets
    // its own; taking them back from everyone again holds should one have been given by hand.
    s << functionGrants();
    return s;
}

bool refreshFunctions(PgConnection& connection, QString* error)
{
    const auto schema = connection.query("select current_schema()", {}, error);
    if (!schema || schema->isEof() || !connection.begin({}, error)) {
        return false;
    }
    for (const QString& statement : functionStatements(schema->text(0))) {
        if (!connection.query(statement.toUtf8(), {}, error)) {
            connection.rollback();
            return false;
        }
    }
    return connection.commit(error);
}

bool isCurrent(PgConnection& connection, QString* error)
{
    const auto rows = connection.query("select to_regclass('register_chain_head') is not null",
                                       {}, error);
    return rows && !rows->isEof() && rows->text(0) == QLatin1String("t");
}

qint64 upgrade(PgConnection& connection, QString* error)
{
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    const auto found = connection.query("select to_regclass('register_entry') is not null,"
                                        " to_regclass('register_chain_head') is not null,"
                                        " current_schema()",
                                        {}, error);
    if (!found || found->isEof()) {
        return -1;
    }
    if (found->text(0) != QLatin1String("t")) {
        *error = QStringLiteral("这个数据库里没有 kavri 的表，请先运行 kavri-cli server init");
        return -1;
    }
    if (found->text(1) == QLatin1String("t")) {
        *error = QStringLiteral("这个数据库已是最新的登记簿结构，无需升级");
        return -1;
    }
    const QString schema = found->text(2);
    if (!connection.begin({}, error)) {
        return -1;
    }
    // A large register takes longer to link than a clerk's statement may.
    if (!connection.query("select set_config('statement_timeout', '0', true)", {}, error)) {
        connection.rollback();
        return -1;
    }
    for (const QString& statement : securityStatements(schema)) {
        if (!connection.query(statement.toUtf8(), {}, error)) {
            connection.rollback();
            return -1;
        }
    }
    const auto linked = connection.query("select register_seal()", {}, error);
    if (!linked || linked->isEof()) {
        connection.rollback();
        return -1;
    }
    const qint64 count = linked->int64(0);
    return connection.commit(error) ? count : -1;
}

} // namespace PgRegisterSchema
