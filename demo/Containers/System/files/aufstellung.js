// The line-up of one side (the page's body names it: data-seite "Heim" or
// "Gast"): the team with its logo, the players of its match report in the
// order of their report numbers, and the player the console announces
// now (a line-up record of spieler.xml for this side) large, marked in the
// list. Needs spielstand.js and spieler.js; every name goes in as text.
(function () {
  'use strict';

  var side = document.body.dataset.seite === 'Heim' ? 'Heim' : 'Gast';
  var TEAM_REFRESH_MS = 10000;

  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // The page: the team on top, the announced player and the list below.
  var head = el('div', 'kopf');
  var logo = el('img', 'logo fehlt');
  logo.alt = '';
  var teamName = el('div', 'teamname');
  head.appendChild(logo);
  head.appendChild(el('div', 'titel', 'Aufstellung'));
  head.appendChild(teamName);
  var main = el('div', 'haupt');
  var player = el('div', 'spieler');
  Spieler.build(player);
  var list = el('ol', 'liste');
  main.appendChild(player);
  main.appendChild(list);
  document.body.appendChild(head);
  document.body.appendChild(main);

  var scoreTeam = '';     // the side's team name in spielstand.xml
  var announced = null;   // the line-up record for this side, or null
  var players = [];       // the team's match report
  var loadedTeam = null;

  function team() { return announced && announced.teamname ? announced.teamname : scoreTeam; }

  // The players of the match report: report number not 0, in its order.
  function report(root) {
    var out = [];
    for (var p = root ? root.firstElementChild : null; p; p = p.nextElementSibling) {
      if (p.nodeName !== 'player') continue;
      var n = Spielstand.whole(Spielstand.childText(p, 'SpBerNr'));
      if (n === null || n === 0) continue;
      out.push({ order: n, nr: Spielstand.childText(p, 'Nr'),
        name: (Spielstand.childText(p, 'Vorname') + ' ' + Spielstand.childText(p, 'Nachname')).trim() });
    }
    return out.sort(function (a, b) { return a.order - b.order; });
  }

  function loadTeam() {
    var name = team();
    var plain = name && name !== '.' && name !== '..' && !/[\\/]/.test(name);
    if (!plain) { players = []; loadedTeam = name; render(); return; }
    fetch('../../Teams/' + encodeURIComponent(name) + '/Team.xml', { cache: 'no-cache' }).then(function (r) {
      if (!r.ok) throw new Error('Team.xml of ' + name + ' answered ' + r.status);
      return r.arrayBuffer();
    }).then(function (buffer) {
      var text = Spielstand.decode(buffer);
      var doc = new DOMParser().parseFromString(text, 'application/xml');
      if (doc.getElementsByTagName('parsererror').length) throw new Error('Team.xml of ' + name + ' is not well-formed');
      players = report(doc.documentElement);
    }).catch(function (e) {
      if (window.console) console.log('[aufstellung] ' + e.message);
      players = [];
    }).then(function () { loadedTeam = name; render(); });
  }

  function render() {
    teamName.textContent = team();
    Spielstand.showLogo(logo, team());
    document.body.classList.toggle('leer', !announced);
    if (announced) Spieler.show(player, announced);
    while (list.firstChild) list.removeChild(list.firstChild);
    players.forEach(function (p) {
      var li = el('li', announced && announced.spielernr && p.nr === announced.spielernr ? 'jetzt' : '');
      li.appendChild(el('span', 'nr', p.nr));
      li.appendChild(el('span', 'wer', p.name));
      list.appendChild(li);
    });
  }

  Spielstand.watch(function (state) {
    var name = side === 'Heim' ? state.teamHeim : state.teamGast;
    if (name === scoreTeam) return;
    scoreTeam = name;
    if (team() !== loadedTeam) loadTeam(); else render();
  });
  Spielstand.watchDocument('spieler.xml', function (root) {
    var r = Spieler.record(root, 'settings');
    announced = r.type === 'Vorstellung' && r.team === side ? r : null;
    if (team() !== loadedTeam) loadTeam(); else render();
  });
  setInterval(loadTeam, TEAM_REFRESH_MS);
})();
