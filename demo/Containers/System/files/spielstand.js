// Reading the match's state documents for the venue's display pages, and
// the game clock as the console means it: the console stores when the
// running period started, and the clock is the server's time of day less
// that start. The server's time comes from "/gettime", never from the
// display computer's own clock, which may be set wrong.
//
// A page calls Spielstand.watch(show): show(state, clock) runs with every
// change of spielstand.xml and four times a second for the clock. Other
// documents (spieler.xml, Matchday.xml, the histories) are watched with
// Spielstand.watchDocument(name, show): show(root) runs with every change
// of that document. What the documents hold is text typed by operators:
// pages put it in with textContent only.
(function () {
  'use strict';

  var DAY = 24 * 60 * 60;
  // The score document, and the server's time (relative to this page: the
  // pages lie in Containers/System/files/ below the application's address).
  var DOCUMENT = 'spielstand.xml';
  var TIME = '../../../gettime';
  var POLL_MS = 1000;
  var TIME_SYNC_MS = 30000;

  function log(what) {
    if (window.console) console.log('[spielstand] ' + what);
  }

  // The text of a document's bytes in the encoding it declares.
  function decode(buffer) {
    var bytes = new Uint8Array(buffer);
    if (bytes.length >= 2 && bytes[0] === 0xFF && bytes[1] === 0xFE) return new TextDecoder('utf-16le').decode(bytes);
    if (bytes.length >= 2 && bytes[0] === 0xFE && bytes[1] === 0xFF) return new TextDecoder('utf-16be').decode(bytes);
    var head = String.fromCharCode.apply(null, bytes.subarray(0, Math.min(bytes.length, 200)));
    var m = /^(?:\uFEFF|\xEF\xBB\xBF)?<\?xml[^>]*encoding\s*=\s*["']([A-Za-z0-9._-]+)["']/.exec(head);
    var label = m ? m[1] : 'utf-8';
    try {
      return new TextDecoder(label).decode(bytes);
    } catch (e) {
      return new TextDecoder('utf-8').decode(bytes);
    }
  }

  // The first child element of that name; null when missing.
  function child(node, name) {
    if (!node) return null;
    for (var n = node.firstElementChild; n; n = n.nextElementSibling) {
      if (n.nodeName === name) return n;
    }
    return null;
  }

  // The text of a child element; empty when missing.
  function childText(node, name) {
    var n = child(node, name);
    return n ? n.textContent.trim() : '';
  }

  // The root element of a document's text; raises when it is not well-formed.
  function parse(text, name) {
    var doc = new DOMParser().parseFromString(text, 'application/xml');
    if (doc.getElementsByTagName('parsererror').length) throw new Error(name + ' is not well-formed');
    return doc.documentElement;
  }

  function read(text) {
    var settings = child(parse(text, DOCUMENT), 'settings');
    var names = ['gameTime', 'Spielabschnitt', 'gameTimeStatus', 'HalbzeitDauer', 'NachspielZeit',
      'VerlaengerungDauer', 'Verlaengerung', 'teamHeim', 'teamGast', 'standHeim', 'standGast'];
    var state = {};
    names.forEach(function (k) { state[k] = childText(settings, k); });
    return state;
  }

  // A whole number of at most four digits, or null.
  function whole(text) {
    return /^\d{1,4}$/.test(text) ? parseInt(text, 10) : null;
  }

  // "hh:nn:ss" (or "hh:nn") as seconds since midnight, or null.
  function timeOfDay(text) {
    var m = /^(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?$/.exec(text);
    if (!m) return null;
    var h = +m[1], n = +m[2], s = m[3] ? +m[3] : 0;
    if (h > 23 || n > 59 || s > 59) return null;
    return h * 3600 + n * 60 + s;
  }

  function twoDigits(v) { return (v < 10 ? '0' : '') + v; }

  // Seconds as "mm:ss" (the minutes may pass 99).
  function minutesSeconds(total) {
    total = Math.max(0, Math.floor(total));
    return twoDigits(Math.floor(total / 60)) + ':' + twoDigits(total % 60);
  }

  // The server's time of day, kept by this page's monotonic clock between
  // two questions.
  var serverBase = null;  // seconds since midnight at perfBase
  var perfBase = 0;
  var syncing = null;

  function serverSeconds() {
    if (serverBase === null) return null;
    return ((serverBase + (performance.now() - perfBase) / 1000) % DAY + DAY) % DAY;
  }

  function syncTime() {
    var asked = performance.now();
    return fetch(TIME, { cache: 'no-store' }).then(function (r) {
      if (!r.ok) throw new Error('/gettime answered ' + r.status);
      return r.text();
    }).then(function (text) {
      var answered = performance.now();
      var doc = new DOMParser().parseFromString(text, 'application/xml');
      var t = doc.getElementsByTagName('time')[0];
      var s = t ? timeOfDay(t.textContent.trim()) : null;
      if (s === null) throw new Error('/gettime gave no time');
      // The server writes whole seconds: half a second is the best guess.
      serverBase = s + 0.5;
      perfBase = (asked + answered) / 2;
    }).catch(function (e) { log(e.message); });
  }

  // Asks for the server's time now and then again every half minute; the
  // promise is kept when the first answer is in (or failed).
  function keepServerTime() {
    if (!syncing) {
      syncing = syncTime();
      setInterval(syncTime, TIME_SYNC_MS);
    }
    return syncing;
  }

  // What the clock shows: the game time in seconds, whether it runs, the
  // time played beyond the period and the label of the period.
  var frozen = null;  // the clock as last seen running, held while it is stopped

  function clock(state) {
    var period = whole(state.Spielabschnitt);
    var length = whole(state.HalbzeitDauer);
    var started = timeOfDay(state.gameTime);
    var now = serverSeconds();
    var extra = whole(state.Verlaengerung);
    var extraLength = whole(state.VerlaengerungDauer);
    var result = { seconds: 0, beyond: 0, running: false, label: '', added: whole(state.NachspielZeit) || 0 };
    if (period === null || period === 0 || length === null || started === null || now === null) {
      result.label = period === 0 ? 'vor Spielbeginn' : '';
      frozen = null;
      return result;
    }
    // Extra time follows the regular periods.
    var base, span;
    if (extra !== null && extra >= 1 && extraLength !== null) {
      base = (period * length + (extra - 1) * extraLength) * 60;
      span = extraLength * 60;
      result.label = extra + '. Verlängerung';
    } else {
      base = (period - 1) * length * 60;
      span = length * 60;
      result.label = period + '. Abschnitt';
    }
    var elapsed = ((now - started) % DAY + DAY) % DAY;
    result.running = state.gameTimeStatus === 'Start';
    if (!result.running && frozen !== null) return frozen;
    result.seconds = base + Math.min(elapsed, span);
    result.beyond = Math.max(0, elapsed - span);
    // A page that opens on a stopped clock holds what it computes first.
    if (result.running || frozen === null) frozen = Object.assign({}, result, { running: false });
    return result;
  }

  // Polls one document every second; onText(text, number) runs when its
  // text changed. The name is one file name beside this page, put into the
  // address percent-encoded (as UTF-8), so that names with umlauts arrive.
  function pollDocument(name, onText) {
    var address = encodeURIComponent(name);
    var lastText = null;
    var asked = 0;
    function poll() {
      var number = ++asked;
      fetch(address, { cache: 'no-cache' }).then(function (r) {
        if (!r.ok) throw new Error(name + ' answered ' + r.status);
        return r.arrayBuffer();
      }).then(function (buffer) {
        var text = decode(buffer);
        if (text === lastText) return;
        onText(text, number);
        lastText = text;
      }).catch(function (e) {
        // A display keeps what it shows; a console may be saving right now.
        log(e.message);
      }).then(function () { setTimeout(poll, POLL_MS); });
    }
    poll();
    return function () { return asked; };
  }

  var current = null;
  var listeners = [];
  // For diagnosis: the questions for the document so far, and the one whose
  // answer brought what the page shows.
  var askedSoFar = function () { return 0; };
  var shownPoll = 0;

  function emit() {
    if (!current) return;
    var c = clock(current);
    listeners.forEach(function (show) {
      try { show(current, c); } catch (e) { log(e.message); }
    });
  }

  // A team's logo lies in its folder under Containers/Teams/, a player's
  // picture in that folder's "Spieler"; each name is one plain name, put
  // into the address as one encoded path step.
  function plain(name) {
    return !!name && name !== '.' && name !== '..' && !/[\\/]/.test(name);
  }

  function showPicture(img, src) {
    if (img.dataset.src === src) return;
    img.dataset.src = src;
    img.classList.add('fehlt');
    if (!src) { img.removeAttribute('src'); return; }
    img.onload = function () { img.classList.remove('fehlt'); };
    img.onerror = function () { img.classList.add('fehlt'); };
    img.src = src;
  }

  window.Spielstand = {
    minutesSeconds: minutesSeconds,
    whole: whole,
    decode: decode,
    timeOfDay: timeOfDay,
    child: child,
    childText: childText,
    serverSeconds: serverSeconds,
    keepServerTime: keepServerTime,
    polls: function () { return { asked: askedSoFar(), shown: shownPoll }; },
    showLogo: function (img, team) {
      showPicture(img, plain(team) ? '../../Teams/' + encodeURIComponent(team) + '/logo.png' : '');
    },
    showPlayer: function (img, team, picture) {
      showPicture(img, plain(team) && plain(picture)
        ? '../../Teams/' + encodeURIComponent(team) + '/Spieler/' + encodeURIComponent(picture) : '');
    },
    watch: function (show) {
      listeners.push(show);
      if (listeners.length > 1) return;
      keepServerTime().then(function () { emit(); });
      setInterval(emit, 250);
      askedSoFar = pollDocument(DOCUMENT, function (text, number) {
        var state = read(text);
        // A new start or period ends what was kept of a stopped clock.
        if (current && (current.gameTime !== state.gameTime || current.Spielabschnitt !== state.Spielabschnitt ||
            current.Verlaengerung !== state.Verlaengerung)) frozen = null;
        current = state;
        shownPoll = number;
        emit();
      });
    },
    watchDocument: function (name, show) {
      pollDocument(name, function (text) {
        var root = parse(text, name);
        try { show(root); } catch (e) { log(e.message); }
      });
    },
  };
})();
