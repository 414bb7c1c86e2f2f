/*
 * Telex: a small scrolling ticker for the ticker page of the displays.
 *
 *   var t = Telex.widget('tx', { speed: 120 }, [{ id: 'm1', content: 'Text' }]);
 *
 * Scrolls the messages from right to left through the element with the given
 * id, one after the other, and repeats them without a gap for as long as the
 * page is open. The text enters at the right edge. The element spans the
 * page's width, its line centred in the page's height.
 *
 * Options:
 *   speed      pixels per second (default 100; anything not a positive
 *              number gives the default)
 *   direction  "normal" (right to left, default) or "reverse"
 *   gap        space after each message in pixels (default: 3 em)
 *   timing     accepted and ignored: the text always moves at constant speed
 *
 * A message's content is shown as plain text, never as HTML.
 * The returned object offers stop(), start() and setMessages(list).
 * No other script is needed.
 */
(function (global) {
  'use strict';

  var DEFAULT_SPEED = 100;

  function Ticker(element, options, messages) {
    this.el = element;
    this.speed = Number(options.speed) > 0 && isFinite(options.speed) ? Number(options.speed) : DEFAULT_SPEED;
    this.reverse = options.direction === 'reverse';
    this.gap = options.gap;
    this.running = false;
    this.frame = 0;
    this.last = 0;
    this.x = 0;
    this.stripWidth = 0;

    // The element becomes a strip across the whole page with its line in
    // the middle from top to bottom: the page is the ticker bar, so the
    // text sits centred in the bar whatever its height and the page's
    // margins.
    var s = element.style;
    s.overflow = 'hidden';
    s.whiteSpace = 'nowrap';
    s.position = 'absolute';
    s.left = '0';
    s.right = '0';
    s.top = '50%';
    s.transform = 'translateY(-50%)';

    this.track = document.createElement('div');
    this.track.className = 'telex-track';
    this.track.style.display = 'inline-block';
    this.track.style.whiteSpace = 'nowrap';
    this.track.style.willChange = 'transform';
    element.textContent = '';
    element.appendChild(this.track);

    var self = this;
    this.step = function (now) { self.advance(now); };
    if (typeof ResizeObserver === 'function') {
      this.observer = new ResizeObserver(function () { self.layout(false); });
      this.observer.observe(element);
    } else {
      global.addEventListener('resize', function () { self.layout(false); });
    }
    // Web fonts may arrive after the first measurement and change the width.
    if (document.fonts && document.fonts.ready) document.fonts.ready.then(function () { self.layout(false); });

    this.setMessages(messages);
    this.start();
  }

  // One run of all messages, each followed by the gap.
  Ticker.prototype.buildStrip = function () {
    var strip = document.createElement('span');
    strip.className = 'telex-strip';
    strip.style.display = 'inline-block';
    for (var i = 0; i < this.messages.length; i++) {
      var m = document.createElement('span');
      m.className = 'telex-msg';
      if (this.messages[i].id != null) m.setAttribute('data-id', String(this.messages[i].id));
      m.textContent = this.messages[i].content == null ? '' : String(this.messages[i].content);
      m.style.display = 'inline-block';
      m.style.paddingRight = this.gap != null ? Number(this.gap) + 'px' : '3em';
      strip.appendChild(m);
    }
    return strip;
  };

  // Fills the track with as many runs as it takes to cover the element
  // while one run leaves it; `restart` puts the text back at its entry edge.
  Ticker.prototype.layout = function (restart) {
    var track = this.track;
    if (!track.firstChild) track.appendChild(this.buildStrip());
    this.stripWidth = track.firstChild.offsetWidth;
    var width = this.el.clientWidth;
    var runs = this.stripWidth > 0 ? Math.ceil(width / this.stripWidth) + 1 : 1;
    while (track.childNodes.length > runs) track.removeChild(track.lastChild);
    while (track.childNodes.length < runs) track.appendChild(track.firstChild.cloneNode(true));
    if (restart) this.x = this.reverse ? -runs * this.stripWidth : width;
    this.wrap();
    this.paint();
  };

  // Once the text has entered, keeps the position within one run: the runs
  // are alike, so moving by a whole run changes nothing on screen.
  Ticker.prototype.wrap = function () {
    var w = this.stripWidth;
    if (w <= 0) return;
    if (!this.reverse && this.x <= -w) this.x = -((-this.x) % w);
    if (this.reverse && this.x > 0) this.x = (this.x % w) - w;
  };

  Ticker.prototype.paint = function () {
    this.track.style.transform = 'translate3d(' + this.x.toFixed(2) + 'px,0,0)';
  };

  Ticker.prototype.advance = function (now) {
    if (!this.running) return;
    if (this.last) {
      var dx = this.speed * (now - this.last) / 1000;
      this.x += this.reverse ? dx : -dx;
      this.wrap();
      this.paint();
    }
    this.last = now;
    this.frame = global.requestAnimationFrame(this.step);
  };

  Ticker.prototype.start = function () {
    if (this.running) return;
    this.running = true;
    this.last = 0;
    this.frame = global.requestAnimationFrame(this.step);
  };

  Ticker.prototype.stop = function () {
    this.running = false;
    if (this.frame) global.cancelAnimationFrame(this.frame);
    this.frame = 0;
  };

  Ticker.prototype.setMessages = function (messages) {
    this.messages = Array.isArray(messages) ? messages.slice() : [];
    this.track.textContent = '';
    this.layout(true);
  };

  global.Telex = {
    widget: function (id, options, messages) {
      var element = document.getElementById(id);
      if (!element) throw new Error('Telex: no element with id "' + id + '"');
      return new Ticker(element, options || {}, messages || []);
    }
  };
})(window);
