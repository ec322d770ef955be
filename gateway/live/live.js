// The live view: the gateway's state from /events (server-sent events). The first message of a
// stream is the whole state ("full"), every later one what changed. EventSource connects again
// by itself when the stream breaks (a gateway restart); the values shown meanwhile are marked
// stale, as the gateway would mark values it cannot read.
'use strict';
(function () {
  const KEPT = 50;
  const NONE = '\u2014';
  // The marks of a channel: payload field, text, class.
  const MARKS = [
    ['alarm1', 'Alarm 1', ''], ['alarm2', 'Alarm 2', ''], ['heater_burnout', 'Heater burnout', ''],
    ['loop_break', 'Loop break', ''], ['overscale', 'Overscale', ''], ['underscale', 'Underscale', ''],
    ['auto_tuning', 'Auto-tuning', 'at'],
  ];
  const COLUMNS = [
    ['Channel', ''], ['PV', 'num'], ['SV', 'num'], ['Unit', ''], ['MV (%)', 'num'],
    ['Cooling MV (%)', 'num cool'], ['Heater current (A)', 'num hc'], ['Alarms and status', ''],
  ];
  const views = new Map(); // block number -> its table and what it shows
  let connected = false;

  function el(tag, className, text) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function blockView(b) {
    let v = views.get(b);
    if (v) return v;
    const section = el('section', 'block');
    section.dataset.block = b;
    const box = el('div', 'scroll');
    const table = el('table', 'no-cool no-hc');
    const caption = el('caption');
    caption.id = 'block-' + b;
    const name = el('span', 'name');
    const stale = el('span', 'stale', 'stale');
    stale.hidden = true;
    const age = el('span', 'age');
    caption.append(name, ' ', stale, ' ', age); // spaced: read as words
    const head = el('tr');
    COLUMNS.forEach(([text, cls]) => {
      const th = el('th', cls, text);
      th.scope = 'col';
      head.append(th);
    });
    const thead = el('thead');
    thead.append(head);
    const tbody = el('tbody');
    table.append(caption, thead, tbody);
    // A box that scrolls is reachable from the keyboard, named by its table's caption.
    box.tabIndex = 0;
    box.setAttribute('role', 'region');
    box.setAttribute('aria-labelledby', caption.id);
    box.append(table);
    section.append(box);
    const list = document.getElementById('blocks');
    const after = Array.from(list.children).find((s) => Number(s.dataset.block) > b);
    list.insertBefore(section, after || null);
    v = { table, name, stale, age, tbody, rows: new Map(), channels: new Map(), isStale: true };
    views.set(b, v);
    return v;
  }

  function showBlock(v, stale, ageS) {
    v.isStale = stale;
    v.stale.hidden = !stale;
    v.table.classList.toggle('is-stale', stale);
    if (ageS !== undefined) v.age.textContent = ageS === null ? 'not read yet' : 'values ' + ageS + ' s old';
  }

  function rowOf(v, ch) {
    let r = v.rows.get(ch);
    if (r) return r;
    const tr = el('tr');
    const name = el('th');
    name.scope = 'row';
    tr.append(name);
    const cells = {};
    ['pv', 'sv', 'unit', 'mv', 'cool_mv', 'heater_current', 'marks'].forEach((k, i) => {
      cells[k] = el('td', COLUMNS[i + 1][1]);
      tr.append(cells[k]);
    });
    const after = Array.from(v.rows.keys()).filter((c) => c > ch).sort((a, b) => a - b)[0];
    v.tbody.insertBefore(tr, after === undefined ? null : v.rows.get(after).tr);
    r = { tr, name, cells };
    v.rows.set(ch, r);
    return r;
  }

  // The value's text as the pages show it; a value the page cannot show as a number is a dash.
  function text(c, k) {
    return c.text[k] ? c.text[k] : NONE;
  }

  // A stale block's last values stay, greyed as the window greys them; its caption says "stale".
  function showChannel(v, c) {
    const r = rowOf(v, c.ch);
    r.name.textContent = c.name;
    r.cells.pv.textContent = text(c, 'pv');
    r.cells.sv.textContent = text(c, 'sv');
    r.cells.unit.textContent = c.unit;
    r.cells.mv.textContent = text(c, 'mv');
    r.cells.cool_mv.textContent = 'cool_mv' in c ? text(c, 'cool_mv') : '';
    r.cells.heater_current.textContent = 'heater_current' in c ? text(c, 'heater_current') : '';
    r.cells.marks.replaceChildren(...MARKS.filter(([k]) => c[k]).map(([, name, cls]) => el('span', 'mark ' + cls, name)));
    if ('cool_mv' in c) v.table.classList.remove('no-cool');
    if ('heater_current' in c) v.table.classList.remove('no-hc');
  }

  function threeDigits(n) {
    return String(n).padStart(3, '0');
  }

  function alarmText(a) {
    return [a.date, a.clock, a.channel, a.content].filter((s) => s).join('  ');
  }

  function changeText(c) {
    const when = c.time.replace('T', ' ');
    if (c.ch === null) return when + '  ' + c.origin + ' (' + c.who + ')';
    return when + '  Ch' + threeDigits(c.ch) + '  ' + c.item_name + ': ' + c.before_text + ' \u2192 ' + c.after_text +
      '  (' + [c.origin, c.who, c.outcome].filter((s) => s).join(', ') + ')';
  }

  // `lines` newest first; a full message replaces the list.
  function addLines(list, lines, text, whole) {
    if (whole) list.replaceChildren();
    for (let i = lines.length - 1; i >= 0; --i) list.prepend(el('li', '', text(lines[i])));
    while (list.children.length > KEPT) list.lastElementChild.remove();
  }

  function showLine(line) {
    const notice = document.getElementById('notice');
    notice.textContent = line.notice;
    notice.hidden = !line.notice;
    document.getElementById('status').textContent = line.started_up
      ? 'Connected to the gateway.' : 'Connected to the gateway; the start-up read of the installation is under way.';
  }

  function apply(m) {
    if (m.full) {
      document.getElementById('blocks').replaceChildren();
      views.clear();
    }
    showLine(m.line);
    m.blocks.forEach((b) => {
      const v = blockView(b.block);
      v.name.textContent = b.name;
      showBlock(v, b.stale, b.health.age_s);
    });
    m.channels.forEach((c) => {
      const v = views.get(c.block);
      if (!v) return;
      v.channels.set(c.ch, c);
      showChannel(v, c);
    });
    addLines(document.getElementById('alarms'), m.alarms, alarmText, m.full);
    addLines(document.getElementById('changes'), m.changes, changeText, m.full);
  }

  function lost() {
    if (!connected) return;
    connected = false;
    document.getElementById('status').textContent = 'The gateway does not answer; connecting again…';
    views.forEach((v) => showBlock(v, true));
  }

  function connect() {
    const source = new EventSource('/events');
    source.onopen = () => { connected = true; };
    source.onmessage = (e) => { connected = true; apply(JSON.parse(e.data)); };
    source.onerror = () => {
      lost();
      // EventSource gives up after an answer that is no stream; it is asked again later.
      if (source.readyState === EventSource.CLOSED) setTimeout(connect, 5000);
    };
  }

  connect();
})();
